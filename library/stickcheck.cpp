#include "library/stickcheck.h"

#include "copy/copycommit.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("StickCheck", text);
}

} // namespace

QList<StickProblem> StickCheck::find(const IsoListing &listing, const StickStatus &status)
{
    using K = StickProblem::Kind;
    QList<StickProblem> found;
    for (const Leftover &left : listing.leftovers)
        found.append({ K::Leftover, left.path,
                       tr("%1 was left by an interrupted copy").arg(left.path), left.size });
    bool bootFound = status.bootImage.isEmpty();
    for (const IsoRow &row : listing.rows) {
        if (row.kind != IsoRow::Kind::Image)
            continue;
        bootFound = bootFound || row.imagePath() == status.bootImage;
        if (row.partsBroken)
            found.append({ K::BrokenImage, row.devicePath,
                           tr("%1 has parts missing or of the wrong size").arg(row.imagePath()),
                           row.size });
        else if (!row.info.bootable)
            found.append({ K::WillNotBoot, row.devicePath,
                           (row.info.iso9660 ? tr("%1 has no boot record: it will not boot")
                                             : tr("%1 is no ISO 9660 image: it will not boot"))
                               .arg(row.imagePath()) });
    }
    if (!bootFound)
        found.append({ K::BootImageMissing, status.bootImage,
                       tr("The discwand is set to boot %1, which is not on it")
                           .arg(status.bootImage) });
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
        if (!name.startsWith(CopyCommit::prefix))
            return QFile::remove(target.filePath()) || !target.exists();
        const QString base = name.section(QLatin1Char('.'), 0, 1);
        const CopyCommit::Leftovers left = CopyCommit::find(dir);
        if (left.journals.contains(base))
            return CopyCommit::apply(dir, base) || !CopyCommit::find(dir).journals.contains(base);
        CopyCommit::discard(dir, base);
        return !QFileInfo::exists(target.filePath());
    }
    if (problem.kind != StickProblem::Kind::BrokenImage)
        return false;
    bool all = true;
    const QString image = name.chopped(2); // the row's "name.iso.0"
    for (const QString &file : CopyCommit::imageFiles(dir, image))
        all = QFile::remove(dir + QLatin1Char('/') + file) && all;
    return all;
}
