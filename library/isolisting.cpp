// Listing the device's folders and images into the tree: under every folder its subfolders
// first, then its images, each group in name order.
#include "ui/discshelf.h"

#include "detect/scsidrivedetector.h"
#include "library/isotreewidget.h"

#include <QDebug>
#include <QDir>
#include <QList>
#include <QPair>

#include <tuple>

namespace {

QTreeWidgetItem *makeRow(const QString &name, bool isDir, const QIcon &folderIcon,
                         const QIcon &isoIcon)
{
    auto *row = new QTreeWidgetItem(QTreeWidgetItem::Type);
    row->setText(0, name);
    row->setIcon(0, isDir ? folderIcon : isoIcon);
    // Only part 0 of a split image is listed, so its row stands for the whole image.
    const bool split = !isDir && name.endsWith(QLatin1String(".0"));
    row->setToolTip(0, split ? name + discShelf::tr(" (Split file)") : name);
    row->setData(0, Qt::UserRole, isDir ? 0 : 1);
    return row;
}

} // namespace

void discShelf::buildIsoList()
{
    isoTree->clear();
    const QString root = detector->drivePath();
    if (root.isEmpty()) {
        isoTree->addTopLevelItem(
            new QTreeWidgetItem(QStringList(tr("<Waiting for an discwand to appear>"))));
        emit listingComplete();
        return;
    }

    const QStringList imageFilters{QStringLiteral("*.iso"), QStringLiteral("*.iso.0")};
    qDebug() << "Listing ISOs on" << QDir(root).path();

    // Pending folders with their relative paths; the tree owns the rows.
    QList<QPair<QTreeWidgetItem *, QString>> pending;
    QTreeWidgetItem *current = nullptr;
    QString relPath;
    const auto attach = [&](QTreeWidgetItem *row) {
        if (current)
            current->addChild(row);
        else
            isoTree->addTopLevelItem(row);
    };
    for (;;) {
        const QDir dir(root + relPath);
        const QStringList dirs = dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
        for (const QString &name : dirs) {
            QTreeWidgetItem *row = makeRow(name, true, folderIcon, isoIcon);
            attach(row);
            pending.append({row, relPath + QLatin1Char('/') + name});
        }
        const QStringList images = dir.entryList(imageFilters, QDir::Files, QDir::Name);
        for (const QString &name : images)
            attach(makeRow(name, false, folderIcon, isoIcon));
        if (pending.isEmpty())
            break;
        std::tie(current, relPath) = pending.takeLast();
    }
    emit listingComplete();
}
