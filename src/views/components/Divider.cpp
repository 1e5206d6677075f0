#include "views/components/Divider.h"

#include <QFrame>
#include <QHBoxLayout>

QWidget* makeDivider(QWidget* parent, int leadingIndent)
{
    auto* line = new QFrame;
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    QPalette p = line->palette();
    p.setColor(QPalette::WindowText, QColor(128, 128, 128, 70));
    line->setPalette(p);
    if (leadingIndent <= 0) {
        line->setParent(parent);
        return line;
    }
    auto* holder = new QWidget(parent);
    auto* row = new QHBoxLayout(holder);
    row->setContentsMargins(leadingIndent, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(line);
    return holder;
}
