#include "views/components/Divider.h"

#include <QPainter>

Divider::Divider(QWidget* parent, int leadingInset) : QWidget(parent), m_inset(leadingInset)
{
    setFixedHeight(1);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void Divider::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    QRect line = rect();
    if (layoutDirection() == Qt::RightToLeft)
        line.setRight(line.right() - m_inset);
    else
        line.setLeft(line.left() + m_inset);
    p.fillRect(line, QColor(128, 128, 128, 70));
}
