#include "library/imagedeletion.h"

#include "copy/filesync.h"
#include "copy/imagerecord.h"
#include "copy/imageset.h"
#include "detect/devicefolder.h"
#include "library/imagechoice.h"
#include "library/log.h"
#include "library/stickchanges.h"
#include "library/stickstatus.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

ImageDeletion::Plan ImageDeletion::plan(const QString &deviceRoot, const QString &imagePath)
{
    // A split image's row is its part 0; the image itself has the name without the suffix.
    const QString image = ImageChoice::bootName(imagePath);
    const int slash = image.lastIndexOf(QLatin1Char('/'));
    Plan plan;
    plan.folder = DeviceFolder(image.left(slash)).path();
    const QString dir = DeviceFolder(plan.folder).under(deviceRoot);
    // A name held both as a file and as parts is two rows, each deleted with its own files.
    const ImageSet set = ImageSet::read(dir, image.mid(slash + 1));
    plan.files = !set.isDoubled() ? set.files()
        : imagePath.endsWith(QLatin1String(".0")) ? set.partFiles()
                                                 : QStringList(set.whole);
    plan.files.sort(Qt::CaseInsensitive);
    for (const QString &name : std::as_const(plan.files))
        plan.bytes += QFileInfo(dir + name).size();
    return plan;
}

QStringList ImageDeletion::remove(const QString &deviceRoot, const Plan &plan)
{
    const QString dir = DeviceFolder(plan.folder).under(deviceRoot);
    // Forgotten first: a record never names an image that is gone, or half gone.
    QStringList images;
    for (const QString &name : plan.files)
        images << ImageRecord::imagePath(plan.folder + name);
    images.removeDuplicates();
    ImageRecord::forget(deviceRoot, images);
    QStringList left;
    for (const QString &name : plan.files) {
        if (!QFile::remove(dir + name) && QFileInfo::exists(dir + name))
            left << name;
    }
    qCDebug(lcLibrary) << "Deleted from" << plan.folder << plan.files << "left" << left;
    FileSync::syncDirectory(dir);
    QList<StickChanges::Change> changes;
    for (const QString &name : plan.files)
        if (!left.contains(name))
            changes.append({ StickChanges::Change::Kind::Deleted, plan.folder + name, {} });
    StickChanges::committed(deviceRoot, changes);
    return left;
}

bool ImageDeletion::removeFolder(const QString &deviceRoot, const QString &folderPath)
{
    const DeviceFolder folder(folderPath);
    if (folder.isRoot())
        return false;
    const QString path = QDir::cleanPath(folder.under(deviceRoot));
    // rmdir takes empty folders only, so whatever the listing does not show stays.
    const bool removed = QDir().rmdir(path);
    if (removed)
        FileSync::syncDirectory(QFileInfo(path).path());
    return removed;
}

bool ImageDeletion::isBootImage(const QString &deviceRoot, const QString &imagePath)
{
    // FAT does not tell letter cases apart, and neither does the device when it looks the name up.
    return StickStatus::readBootImage(deviceRoot)
               .compare(ImageChoice::bootName(imagePath), Qt::CaseInsensitive)
        == 0;
}
