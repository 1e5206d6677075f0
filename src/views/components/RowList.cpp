#include "views/components/RowList.h"

#include "views/components/Divider.h"
#include "views/components/Style.h"
#include "views/components/WindowCenterer.h"

#include <QVBoxLayout>

RowList::RowList(QWidget* parent) : QScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setAutoFillBackground(false);
    auto* holder = new QWidget(this);
    holder->setAutoFillBackground(false);
    m_layout = new QVBoxLayout(holder);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(0);
    m_layout->addStretch(1);
    setWidget(holder);
}

QWidget* RowList::rowParent() const { return widget(); }

void RowList::setRows(const QList<QWidget*>& rows)
{
    while (QLayoutItem* item = m_layout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    for (QWidget* row : rows) {
        row->setParent(widget());
        m_layout->addWidget(row);
        m_layout->addWidget(makeDivider(widget(), Style::metric(16)));
    }
    m_layout->addStretch(1);
}

QList<QWidget*> RowList::rowWidgets() const
{
    QList<QWidget*> found;
    for (int i = 0; i < m_layout->count(); ++i)
        if (QWidget* w = m_layout->itemAt(i)->widget())
            found << w;
    return found;
}

QVBoxLayout* makeToolWindowColumn(QWidget* view, double widthPoints, double heightPoints, QWidget* header)
{
    view->setFixedSize(Style::metric(widthPoints), Style::metric(heightPoints));
    (new WindowCenterer(view))->lower();
    auto* column = new QVBoxLayout(view);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    header->setParent(view);
    column->addWidget(header);
    return column;
}
