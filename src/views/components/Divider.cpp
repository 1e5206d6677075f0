#include "views/components/Divider.h"

#include <QFrame>

QFrame* makeDivider(QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setFixedHeight(1);
    QPalette p = line->palette();
    p.setColor(QPalette::WindowText, QColor(128, 128, 128, 70));
    line->setPalette(p);
    return line;
}
