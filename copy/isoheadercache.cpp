// The headers read so far, in one table for the whole program behind a lock.
#include "copy/isoheadercache.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QMutex>

namespace {

struct Entry
{
    qint64 size = 0;
    qint64 modified = 0;
    IsoImageInfo info;
};

// Listings run on their own thread, admissions on another.
QMutex guard;
QHash<QString, Entry> entries;
// Far more images than a stick holds; past it the cache starts over rather than grow.
constexpr int mostEntries = 50000;

// One spelling per file, so that forgetBelow() finds it. Most paths come clean already, and a
// look for what cleaning changes costs less than a cleaned copy.
QString cleaned(const QString &path)
{
    const bool clean = !path.startsWith(QLatin1Char('.')) && !path.contains(QLatin1String("/."))
        && !path.contains(QLatin1String("//")) && !path.contains(QLatin1Char('\\'))
        && (path.size() < 2 || !path.endsWith(QLatin1Char('/')));
    return clean ? path : QDir::cleanPath(path);
}

void store(const QString &path, const Entry &entry)
{
    if (entries.size() >= mostEntries)
        entries.clear();
    entries.insert(path, entry);
}

} // namespace

IsoImageInfo IsoHeaderCache::read(const QFileInfo &file)
{
    return read(file.filePath(), file.size(), file.lastModified().toMSecsSinceEpoch());
}

std::optional<IsoImageInfo> IsoHeaderCache::find(const QString &path, qint64 size, qint64 modified)
{
    const QString clean = cleaned(path);
    QMutexLocker lock(&guard);
    const auto known = entries.constFind(clean);
    if (known != entries.constEnd() && known->size == size && known->modified == modified)
        return known->info;
    return std::nullopt;
}

IsoImageInfo IsoHeaderCache::read(const QString &filePath, qint64 size, qint64 modified)
{
    if (const auto known = find(filePath, size, modified))
        return *known;
    const QString path = cleaned(filePath);
    const IsoImageInfo info = IsoImageInfo::read(path);
    QMutexLocker lock(&guard);
    store(path, { size, modified, info });
    return info;
}

void IsoHeaderCache::forgetBelow(const QString &dir)
{
    const QString prefix = QDir::cleanPath(dir) + QLatin1Char('/');
    QMutexLocker lock(&guard);
    entries.removeIf(
        [&](const QHash<QString, Entry>::iterator &it) { return it.key().startsWith(prefix); });
}

void IsoHeaderCache::recall(QList<Image> &images)
{
    QMutexLocker lock(&guard);
    for (Image &image : images) {
        const auto known = entries.constFind(image.path);
        image.held = known != entries.constEnd();
        if (image.held) {
            image.size = known->size;
            image.modified = known->modified;
            image.info = known->info;
        }
    }
}

void IsoHeaderCache::keep(const QList<Image> &images)
{
    QMutexLocker lock(&guard);
    for (const Image &image : images)
        if (image.read)
            store(image.path, { image.size, image.modified, image.info });
}
