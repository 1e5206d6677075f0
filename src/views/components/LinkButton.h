#pragma once
#include <QFont>
#include <QPushButton>

// A button drawn as a link: its text in the link colour, no frame, a pointing hand. The text is
// shown as given ("&" stays "&").
class LinkButton : public QPushButton {
    Q_OBJECT
public:
    LinkButton(const QString& text, const QFont& font, QWidget* parent = nullptr);

    // The text as given (without the doubled "&").
    QString title() const { return m_title; }
    void setTitle(const QString& text);

private:
    QString m_title;
};
