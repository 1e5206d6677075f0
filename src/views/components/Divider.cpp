#include "views/components/Divider.h"

#include "views/components/Style.h"

#include <QFrame>
#include <QHBoxLayout>

namespace {
QFrame* hairline(QWidget* parent, Qt::Orientation orientation = Qt::Horizontal)
{
    auto* line = new QFrame(parent);
    line->setFrameShape(orientation == Qt::Horizontal ? QFrame::HLine : QFrame::VLine);
    line->setFrameShadow(QFrame::Plain);
    if (orientation == Qt::Horizontal)
        line->setFixedHeight(1);
    else
        line->setFixedWidth(1);
    QPalette p = line->palette();
    p.setColor(QPalette::WindowText, Style::separator(p));
    line->setPalette(p);
    return line;
}
} // namespace

QFrame* makeDivider(QWidget* parent, int leadingInset)
{
    if (leadingInset <= 0)
        return hairline(parent);
    // The line inside a frame that keeps the inset free (mirrored in right-to-left layouts).
    auto* holder = new QFrame(parent);
    holder->setFrameShape(QFrame::NoFrame);
    holder->setFixedHeight(1);
    auto* row = new QHBoxLayout(holder);
    row->setContentsMargins(leadingInset, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(hairline(holder));
    return holder;
}

QFrame* makeVerticalDivider(QWidget* parent) { return hairline(parent, Qt::Vertical); }
