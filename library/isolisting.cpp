// Listing the device's folders and images into the tree: under every folder its subfolders
// first, then its images, each group in name order.
#include "ui/discshelf.h"

#include "detect/scsidrivedetector.h"
#include "library/isotreewidget.h"

#include <QDebug>
#include <QDir>
#include <QDirIterator>
#include <QList>
#include <QPair>
#include <QRegularExpression>

#include <algorithm>
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

// Image names as QDir matches its name filters: wildcards, regardless of case.
class ImageFilter
{
public:
    ImageFilter()
    {
        for (const QString &pattern : {QStringLiteral("*.iso"), QStringLiteral("*.iso.0")})
            patterns.append(QRegularExpression::fromWildcard(pattern,
                                                             Qt::CaseInsensitive));
    }
    bool matches(const QString &name) const
    {
        return std::any_of(patterns.cbegin(), patterns.cend(), [&](const QRegularExpression &re) {
            return re.match(name).hasMatch();
        });
    }

private:
    QList<QRegularExpression> patterns;
};

// One read of a folder gives both lists, with the same entries and order that separate
// QDir listings of folders and of matching files by name would give; listing through QDir
// would read each folder twice and build its name filters anew every time.
void readFolder(const QString &path, const ImageFilter &filter, QStringList &dirs,
                QStringList &images)
{
    dirs.clear();
    images.clear();
    QDirIterator it(path, QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QString name = it.fileName();
        if (it.fileInfo().isDir())
            dirs.append(name);
        else if (filter.matches(name))
            images.append(name);
    }
    // QDir::Name order: by character code, case-sensitive, no locale rules.
    std::sort(dirs.begin(), dirs.end());
    std::sort(images.begin(), images.end());
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
    removeStaleTemps();

    const ImageFilter filter;
    qDebug() << "Listing ISOs on" << QDir(root).path();

    // Folders still to read, with their paths relative to the root (depth first, the last
    // listed first); the rows belong to the tree.
    QList<QPair<QTreeWidgetItem *, QString>> pending;
    QTreeWidgetItem *current = nullptr;
    QString relPath;
    // Rows are put together off the tree and shown in one go: every row added to a live tree
    // costs a round of model and view notifications.
    QList<QTreeWidgetItem *> topLevel;
    const auto attach = [&](QTreeWidgetItem *row) {
        if (current)
            current->addChild(row);
        else
            topLevel.append(row);
    };
    QStringList dirs;
    QStringList images;
    for (;;) {
        readFolder(root + relPath, filter, dirs, images);
        for (const QString &name : std::as_const(dirs)) {
            QTreeWidgetItem *row = makeRow(name, true, folderIcon, isoIcon);
            attach(row);
            pending.append({row, relPath + QLatin1Char('/') + name});
        }
        for (const QString &name : std::as_const(images))
            attach(makeRow(name, false, folderIcon, isoIcon));
        if (pending.isEmpty())
            break;
        std::tie(current, relPath) = pending.takeLast();
    }
    isoTree->addTopLevelItems(topLevel);
    emit listingComplete();
}
