#pragma once
#include <QString>
#include <QWidget>

#include <optional>

class QLabel;
class SymbolView;

// The centred placeholder of an empty list: a large symbol, a title, an optional message and
// the caller's actions (may be none). `title` and `message` are English source texts,
// translated when shown (mark them with QT_TRANSLATE_NOOP("EmptyState", …)).
class EmptyState : public QWidget {
    Q_OBJECT
public:
    EmptyState(const QString& icon, const QString& title, const std::optional<QString>& message,
               QWidget* actions = nullptr, QWidget* parent = nullptr);

    QString iconName() const;
    QString titleText() const;
    // Another symbol or title (an English source text, as above) for a placeholder whose case
    // changes while it is shown.
    void setIcon(const QString& icon);
    void setTitle(const QString& title);
    // The message line, or nullptr when there is none.
    QLabel* messageLabel() const { return m_message; }

private:
    SymbolView* m_icon;
    QLabel* m_title;
    QLabel* m_message = nullptr;
};
