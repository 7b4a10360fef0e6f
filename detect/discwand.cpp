#include "detect/discwand.h"

#include "detect/scsidrivedetector.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <utility>

Discwand::Discwand(const ScsiDriveDetector *finder, QString root, QString volume)
    : finder(finder)
    , rootPath(std::move(root))
    , serial(std::move(volume))
{ }

Discwand::Access Discwand::access() const
{
    if (isNull() || !finder || finder->drivePath() != rootPath || !finder->isPresent())
        return Access::Gone;
    return finder->isWritable() ? Access::Writable : Access::ReadOnly;
}

QString Discwand::label() const
{
    return finder ? finder->volumePropertyAt(rootPath, QStringLiteral("VolumeName")) : QString();
}

QString Discwand::fileSystem() const
{
    return finder ? finder->volumePropertyAt(rootPath, QStringLiteral("FileSystem")) : QString();
}

bool Discwand::isVolumeDirty() const
{
    if (!finder)
        return false;
    // A boolean reads as "true" here and as "True" or "-1" from Windows.
    const QString dirty = finder->volumePropertyAt(rootPath, QStringLiteral("VolumeDirty"));
    return dirty.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0
        || dirty == QLatin1String("-1");
}

VolumeRoom Discwand::room() const
{
    return VolumeRoom::of(rootPath);
}

bool Discwand::isCalled(const QString &name) const
{
    if (name.isEmpty() || isNull())
        return false;
    const auto same = [&](const QString &what) {
        return what.compare(name, Qt::CaseInsensitive) == 0;
    };
    return same(serial) || same(rootPath) || same(QDir::cleanPath(rootPath))
        || same(QDir::cleanPath(rootPath) + QLatin1Char('/')) || same(label());
}

bool Discwand::isStickPath(const QString &path)
{
    if (path.contains(QLatin1Char('\\')) || path.contains(QLatin1Char(':'))
        || path.contains(QChar(0)))
        return false;
    const QStringList names = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    return std::none_of(names.begin(), names.end(), [](const QString &name) {
        return name == QLatin1String(".") || name == QLatin1String("..");
    });
}

QString Discwand::filePath(const QString &stickPath) const
{
    if (isNull() || !isStickPath(stickPath))
        return {};
    const QString path
        = rootPath + stickPath.split(QLatin1Char('/'), Qt::SkipEmptyParts).join(QLatin1Char('/'));
    // The deepest part that exists decides: below it nothing can lead elsewhere yet.
    QString existing = path;
    while (existing.size() > rootPath.size() && !QFileInfo::exists(existing)
           && !QFileInfo(existing).isSymLink())
        existing = QFileInfo(existing).absolutePath();
    const QString canonicalRoot = QFileInfo(rootPath).canonicalFilePath();
    const QString canonical = QFileInfo(existing).canonicalFilePath();
    const bool inside = !canonicalRoot.isEmpty() && !canonical.isEmpty()
        && (canonical == canonicalRoot
            || canonical.startsWith(canonicalRoot.endsWith(QLatin1Char('/'))
                                        ? canonicalRoot
                                        : canonicalRoot + QLatin1Char('/')));
    if (!inside || fileSystemOf(canonical) != fileSystemOf(rootPath))
        return {};
    return path;
}
