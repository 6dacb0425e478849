#include "scenes/SceneLayoutControl.h"

#include <QLayout>
#include <QWidget>

namespace
{
void emptyLayout(QLayout* layout, bool deleteWidgets)
{
    if (!layout)
        return;
    while (QLayoutItem* item = layout->takeAt(0)) {
        if (QLayout* child = item->layout()) {
            emptyLayout(child, deleteWidgets);
            // The nested layout is the item itself: deleting the item deletes it.
        } else if (QWidget* widget = item->widget()) {
            if (deleteWidgets)
                delete widget;
            else
                widget->hide();
        }
        delete item;
    }
}
} // namespace

void clearLayout(QLayout* layout)
{
    emptyLayout(layout, true);
}

void clearLayoutKeepWidgets(QLayout* layout)
{
    emptyLayout(layout, false);
}
