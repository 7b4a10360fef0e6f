#include "library/stickcheck.h"

#include "copy/copycommit.h"
#include "copy/imagerecord.h"
#include "copy/imageset.h"
#include "library/movejournal.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSet>

#include <algorithm>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("StickCheck", text);
}

// Names what breaks a split image, so the user knows which part to look for.
QString brokenText(const QString &root, const IsoRow &row)
{
    const QFileInfo image(root + row.imagePath());
    const ImageSet set = ImageSet::read(image.absolutePath(), image.fileName());
    const QStringList missing = set.missingParts(), odd = set.oddParts();
    if (!missing.isEmpty())
        return QCoreApplication::translate("StickCheck", "Parts of %1 missing: %2")
            .arg(row.imagePath(), missing.join(QStringLiteral(", ")));
    if (!odd.isEmpty())
        return QCoreApplication::translate("StickCheck", "Parts of %1 of the wrong size: %2")
            .arg(row.imagePath(), odd.join(QStringLiteral(", ")));
    return QCoreApplication::translate("StickCheck", "%1 has parts missing or of the wrong size")
        .arg(row.imagePath());
}

} // namespace

QList<StickProblem> StickCheck::find(const IsoListing &listing, const StickStatus &status,
                                     const QStringList &kept)
{
    using K = StickProblem::Kind;
    QList<StickProblem> found;
    // Images part way through a move are the journal's to finish, not broken ones to remove.
    QSet<QString> moving;
    for (const Leftover &left : listing.leftovers)
        if (MoveJournal::isJournal(left.path.section(QLatin1Char('/'), -1)))
            for (const QString &path :
                 MoveJournal::touched(QDir::cleanPath(status.root + left.path)))
                moving.insert(path);
    const auto isMoving = [&moving](const IsoRow &row) {
        if (moving.isEmpty())
            return false;
        const QString folder = row.devicePath.section(QLatin1Char('/'), 0, -2) + QLatin1Char('/');
        return std::any_of(row.files.begin(), row.files.end(), [&](const QString &file) {
            return moving.contains((folder + file).toCaseFolded());
        });
    };
    for (const Leftover &left : listing.leftovers) {
        if (left.busy)
            found.append({ K::CopyUnderWay, left.path, tr("%1: a copy is under way").arg(left.path),
                           left.size });
        else if (MoveJournal::isMoveName(left.path.section(QLatin1Char('/'), -1)))
            found.append({ K::Leftover, left.path,
                           tr("%1 was left by an interrupted move").arg(left.path), left.size });
        else
            found.append({ K::Leftover, left.path,
                           tr("%1 was left by an interrupted copy").arg(left.path), left.size });
    }
    bool bootFound = status.bootImage.isEmpty();
    for (const IsoRow &row : listing.rows) {
        if (row.kind != IsoRow::Kind::Image)
            continue;
        bootFound = bootFound || row.isBootImage(status.bootImage);
        if (isMoving(row))
            continue;
        // Told once, at the parts' row.
        if (row.doubled && row.isSplit())
            found.append({ K::DoubledImage, row.imagePath(),
                           tr("%1 is stored both as one file and as numbered parts; delete the "
                              "one that is not wanted")
                               .arg(row.imagePath()),
                           row.size });
        if (row.partsBroken)
            found.append({ K::BrokenImage, row.devicePath, brokenText(status.root, row), row.size,
                           row.files });
        else if (row.headerRead && !row.info.bootable
                 && !kept.contains(row.imagePath(), Qt::CaseInsensitive))
            found.append({ K::WillNotBoot, row.devicePath,
                           (row.info.iso9660 ? tr("%1 has no boot record: it will not boot")
                                             : tr("%1 is no ISO 9660 image: it will not boot"))
                               .arg(row.imagePath()),
                           row.size, row.files });
    }
    // An image recorded and gone: deleted outside Discshelf, or lost.
    // A copy or a move under way takes its entry back once it is in place.
    if (!status.root.isEmpty() && listing.leftovers.isEmpty()) {
        const QList<RecordedImage> &record = listing.record;
        // By name as FAT compares names: a stick records most of its images.
        QSet<QString> listed;
        if (!record.isEmpty())
            for (const IsoRow &row : listing.rows)
                if (row.kind == IsoRow::Kind::Image)
                    listed.insert(row.imagePath().toCaseFolded());
        for (const RecordedImage &image : record) {
            if (!listed.contains(image.path.toCaseFolded()))
                found.append({ K::RecordedImageGone, image.path,
                               tr("%1 is in the record of verified images, but not on the "
                                  "discwand")
                                   .arg(image.path) });
        }
    }
    if (!bootFound && !moving.contains(status.bootImage.toCaseFolded()))
        found.append(
            { K::BootImageMissing, status.bootImage,
              tr("The discwand is set to boot %1, which is not on it").arg(status.bootImage) });
    // Repairing a FAT volume is fsck.fat's job, on the unmounted stick.
    if (status.present && status.mountReadOnly)
        found.append({ K::FileSystemErrors, QStringLiteral("/"),
                       tr("The discwand's file system has errors, so the system made it "
                          "read-only: unmount it and repair it with fsck.fat") });
    if (status.present && !status.selectorPresent)
        found.append({ K::SelectorMissing, QStringLiteral("/config/wandmenu.bin"),
                       tr("The selector program config/wandmenu.bin is missing") });
    return found;
}

bool StickCheck::remove(const QString &deviceRoot, const StickProblem &problem)
{
    const QFileInfo target(deviceRoot + problem.path);
    const QString dir = target.absolutePath();
    const QString name = target.fileName();
    if (problem.kind == StickProblem::Kind::Leftover) {
        // A move stopped part way is finished, the boot choice following it.
        if (MoveJournal::isJournal(name))
            return MoveJournal::settle(deviceRoot, target.filePath());
        // A passing name goes with its journal's move.
        if (MoveJournal::isMoveName(name))
            return MoveJournal::settleAll(deviceRoot) && !target.exists();
        if (!name.startsWith(CopyCommit::prefix))
            return QFile::remove(target.filePath()) || !target.exists();
        const QString base = name.section(QLatin1Char('.'), 0, 1);
        const CopyCommit::Leftovers left = CopyCommit::find(dir);
        if (left.busy.contains(base))
            return false;
        if (left.journals.contains(base))
            return CopyCommit::settle(dir, base);
        CopyCommit::discard(dir, base);
        return !QFileInfo::exists(target.filePath());
    }
    if (problem.kind == StickProblem::Kind::RecordedImageGone)
        return ImageRecord::forget(deviceRoot, { problem.path });
    if (problem.kind == StickProblem::Kind::DamagedImage)
        ImageRecord::forget(deviceRoot, { ImageRecord::imagePath(problem.path) });
    else if (problem.kind != StickProblem::Kind::BrokenImage)
        return false;
    // Only the parts: an image of the same name in one file is whole and stays.
    bool all = !problem.files.isEmpty();
    for (const QString &file : problem.files) {
        const QString path = dir + QLatin1Char('/') + file;
        all = (QFile::remove(path) || !QFileInfo::exists(path)) && all;
    }
    return all;
}
