#include "views/components/LayoutItems.h"

#include <QLayout>
#include <QWidget>

void discardLayoutItems(QLayout* layout)
{
    while (QLayoutItem* item = layout->takeAt(0)) {
        if (QWidget* w = item->widget()) {
            w->hide();
            w->deleteLater();
        }
        delete item;
    }
}
