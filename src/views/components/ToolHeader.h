#pragma once
#include <QWidget>

class QLabel;

// The heading of a tool window: the title beside its symbol, the subtitle under it.
// `title` and `subtitle` are English source texts, translated when shown (mark them at the call
// site with QT_TRANSLATE_NOOP("ToolHeader", …)). Spans of the subtitle between backquotes are
// shown as inline code.
class ToolHeader : public QWidget {
    Q_OBJECT
public:
    ToolHeader(const QString& icon, const QString& title, const QString& subtitle, QWidget* parent = nullptr);

    QString titleText() const;
    QString subtitleText() const;

private:
    QLabel* m_title;
    QLabel* m_subtitle;
};
