#include "library/folderdeletion.h"

#include "copy/copycommit.h"
#include "copy/filesync.h"
#include "copy/imagerecord.h"
#include "copy/imageset.h"
#include "library/log.h"
#include "library/stickchanges.h"
#include "library/stickstatus.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include <algorithm>

FolderDeletion::Plan FolderDeletion::plan(const QString &root, const QString &folderPath)
{
    Plan plan;
    const QStringList names = folderPath.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    plan.folder = QLatin1Char('/') + names.join(QLatin1Char('/'));
    const QString dir = QDir::cleanPath(root + plan.folder);
    if (names.isEmpty() || names.contains(QStringLiteral(".."))
        || names.first().compare(QLatin1String("config"), Qt::CaseInsensitive) == 0
        || !QFileInfo(dir).isDir() || QFileInfo(dir).isSymLink())
        return plan;
    plan.found = true;
    QStringList dirs { dir };
    QDirIterator folders(dir, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                         QDirIterator::Subdirectories);
    while (folders.hasNext())
        dirs << folders.next();
    for (const QString &at : std::as_const(dirs)) {
        plan.busy = plan.busy || !CopyCommit::find(at).busy.isEmpty();
        const QFileInfoList files
            = QDir(at).entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
        for (const QFileInfo &file : files) {
            ++plan.files;
            plan.bytes += file.size();
            int part = -1;
            const QString image = ImageSet::imageOf(file.fileName(), &part);
            if (part <= 0 && image.endsWith(QLatin1String(".iso"), Qt::CaseInsensitive)
                && !file.fileName().startsWith(QLatin1Char('.')))
                plan.images << (at.mid(QDir::cleanPath(root).size()) + QLatin1Char('/') + image);
        }
    }
    plan.images.removeDuplicates();
    std::sort(plan.images.begin(), plan.images.end());
    const QString boot = StickStatus::readBootImage(root);
    if (boot.startsWith(plan.folder + QLatin1Char('/'), Qt::CaseInsensitive))
        plan.bootImage = boot;
    return plan;
}

QStringList FolderDeletion::remove(const QString &root, const Plan &plan)
{
    if (!plan.found || plan.busy)
        return { plan.folder };
    const QString dir = QDir::cleanPath(root + plan.folder);
    // Forgotten first, as an image deleted alone: the record never names an image that is gone.
    QStringList recorded;
    for (const RecordedImage &image : ImageRecord::read(root))
        if (image.path.startsWith(plan.folder + QLatin1Char('/'), Qt::CaseInsensitive))
            recorded << image.path;
    if (!recorded.isEmpty())
        ImageRecord::forget(root, recorded);
    // removeRecursively goes on past what it cannot remove; what stays is named afterwards.
    const bool removed = QDir(dir).removeRecursively();
    FileSync::settle(QFileInfo(dir).path(), {});
    QStringList left;
    if (!removed) {
        QDirIterator it(dir, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            left << it.next().mid(QDir::cleanPath(root).size());
        if (left.isEmpty())
            left << plan.folder;
    } else {
        StickChanges::committed(root, { { StickChanges::Change::Kind::Deleted, plan.folder, {} } });
    }
    qCDebug(lcLibrary) << "Deleted folder" << plan.folder << "left" << left;
    return left;
}
