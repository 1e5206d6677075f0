#include "views/components/Divider.h"

#include <QFrame>
#include <QHBoxLayout>

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

QWidget* makeIndentedDivider(int leadingIndent, QWidget* parent)
{
    auto* holder = new QWidget(parent);
    auto* row = new QHBoxLayout(holder);
    row->setContentsMargins(leadingIndent, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(makeDivider(holder));
    return holder;
}
