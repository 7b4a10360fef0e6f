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

} // namespace

IsoImageInfo IsoHeaderCache::read(const QFileInfo &file)
{
    return read(file.filePath(), file.size(), file.lastModified().toMSecsSinceEpoch());
}

std::optional<IsoImageInfo> IsoHeaderCache::find(const QString &path, qint64 size, qint64 modified)
{
    // One spelling per file, so that forgetBelow() finds it.
    const QString clean = QDir::cleanPath(path);
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
    const QString path = QDir::cleanPath(filePath);
    const IsoImageInfo info = IsoImageInfo::read(path);
    QMutexLocker lock(&guard);
    if (entries.size() >= mostEntries)
        entries.clear();
    entries.insert(path, { size, modified, info });
    return info;
}

void IsoHeaderCache::forgetBelow(const QString &dir)
{
    const QString prefix = QDir::cleanPath(dir) + QLatin1Char('/');
    QMutexLocker lock(&guard);
    entries.removeIf(
        [&](const QHash<QString, Entry>::iterator &it) { return it.key().startsWith(prefix); });
}
