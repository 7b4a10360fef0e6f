// Listing the device's folders and images into the tree.
#include "ui/discshelf.h"

#include "detect/scsidrivedetector.h"
#include "library/isotreewidget.h"

void discShelf::buildIsoList()
{
    isoTree->clear();
    if (detector->drivePath().isEmpty())
        isoTree->addTopLevelItem(
            new QTreeWidgetItem(QStringList(tr("<Waiting for an discwand to appear>"))));
    emit listingComplete();
}
