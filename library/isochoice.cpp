// Choosing the image the device loads: config/iso_filename.txt.
#include "ui/discshelf.h"

void discShelf::updateLoadIsoButton() {}

void discShelf::loadClickedISO(QTreeWidgetItem *item, int)
{
    Q_UNUSED(item);
}

void discShelf::loadSelectedISO() {}
