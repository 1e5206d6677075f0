#include "views/components/Divider.h"

#include <QFrame>

QFrame* makeDivider(QWidget* parent, Qt::Orientation orientation)
{
    auto* line = new QFrame(parent);
    line->setFrameShape(orientation == Qt::Horizontal ? QFrame::HLine : QFrame::VLine);
    line->setFrameShadow(QFrame::Plain);
    if (orientation == Qt::Horizontal)
        line->setFixedHeight(1);
    else
        line->setFixedWidth(1);
    QPalette p = line->palette();
    p.setColor(QPalette::WindowText, QColor(128, 128, 128, 70));
    line->setPalette(p);
    return line;
}
