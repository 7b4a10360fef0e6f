// The reading mirrors the copy's read-back: pages dropped, sequential read-ahead, and the
// hashing in a thread of its own while the next chunk comes off the device.
#include "library/imagecheck.h"

#include "copy/chunkhasher.h"
#include "copy/filesync.h"
#include "copy/imageset.h"
#include "library/isolisting.h"

#include <QDir>
#include <QFile>

QString ImageVerdict::name() const
{
    switch (kind) {
    case Kind::Intact:
        return QStringLiteral("intact");
    case Kind::Changed:
        return QStringLiteral("changed");
    case Kind::Damaged:
        return QStringLiteral("damaged");
    case Kind::NotRecorded:
        return QStringLiteral("not-recorded");
    case Kind::Missing:
        return QStringLiteral("missing");
    case Kind::Unreadable:
        return QStringLiteral("unreadable");
    }
    return {};
}

QString ImageVerdict::text() const
{
    switch (kind) {
    case Kind::Intact:
        return ImageCheck::tr("intact");
    case Kind::Changed:
        return ImageCheck::tr("changed since it was recorded (written outside Discshelf); "
                              "recorded as it is now");
    case Kind::Damaged:
        return ImageCheck::tr("damaged: its bytes differ from those recorded, though its size "
                              "and time are the same");
    case Kind::NotRecorded:
        return ImageCheck::tr("not recorded yet; recorded now");
    case Kind::Missing:
        return ImageCheck::tr("recorded, but no longer on the discwand");
    case Kind::Unreadable:
        return ImageCheck::tr("could not be read whole");
    }
    return {};
}

ImageCheck::ImageCheck(const QString &deviceRoot)
    : root(deviceRoot)
    , record(ImageRecord::read(deviceRoot))
{ }

QStringList ImageCheck::everything(const QString &deviceRoot, const IsoListing &listing)
{
    QStringList paths;
    for (const IsoRow &row : listing.rows)
        // A split image with parts missing is a problem of its own, with nothing whole to read.
        if (row.kind == IsoRow::Kind::Image && !row.doubled && !row.partsBroken)
            paths << row.imagePath();
    for (const RecordedImage &image : ImageRecord::read(deviceRoot))
        if (!paths.contains(image.path, Qt::CaseInsensitive))
            paths << image.path;
    return paths;
}

qint64 ImageCheck::bytesOf(const QStringList &paths) const
{
    qint64 bytes = 0;
    for (const QString &path : paths)
        if (const std::optional<RecordedImage> image = ImageRecord::describe(root, path))
            bytes += image->size;
    return bytes;
}

ImageVerdict ImageCheck::check(const QString &path, const std::function<void(qint64)> &progress,
                               const std::atomic<bool> &cancel, bool sha512)
{
    using K = ImageVerdict::Kind;
    ImageVerdict verdict;
    verdict.path = path;
    if (const std::optional<RecordedImage> entry = ImageRecord::find(record, path))
        verdict.recorded = *entry;
    const std::optional<RecordedImage> now = ImageRecord::describe(root, path);
    if (!now) {
        verdict.kind = verdict.recorded.path.isEmpty() ? K::Unreadable : K::Missing;
        return verdict;
    }
    verdict.now = *now;
    verdict.now.path = verdict.recorded.path.isEmpty() ? path : verdict.recorded.path;

    const QString dir
        = QDir::cleanPath(root + QLatin1Char('/') + path.section(QLatin1Char('/'), 0, -2));
    const ImageSet set = ImageSet::read(dir, path.section(QLatin1Char('/'), -1));
    ChunkHasher hasher(chunkSize);
    hasher.alsoSha512(sha512);
    qint64 done = 0;
    for (const QString &name : set.files()) {
        QFile file(dir + QLatin1Char('/') + name);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
            verdict.kind = K::Unreadable;
            return verdict;
        }
        // What the device holds, not what the page cache still has of an earlier read or write.
        FileSync::dropCache(file);
        FileSync::adviseSequential(file);
        for (;;) {
            if (cancel) {
                verdict.kind = K::Unreadable;
                hasher.result();
                return verdict;
            }
            const qint64 n = file.read(hasher.buffer(), chunkSize);
            if (n < 0) {
                verdict.kind = K::Unreadable;
                hasher.result();
                return verdict;
            }
            if (n == 0)
                break;
            hasher.add(n);
            done += n;
            progress(done);
        }
        // Leaves the cache as it found it: a check of gigabytes does not push everything else out.
        FileSync::dropCache(file);
    }
    const QByteArray hash = hasher.result().toHex();
    if (sha512)
        verdict.sha512 = hasher.resultSha512().toHex();
    if (done != verdict.now.size) {
        verdict.kind = K::Unreadable;
        return verdict;
    }
    verdict.now.sha256 = hash;
    verdict.now.verified = QDateTime::currentDateTimeUtc();
    if (verdict.recorded.path.isEmpty())
        verdict.kind = K::NotRecorded;
    else if (!ImageRecord::sameFiles(verdict.recorded, verdict.now))
        verdict.kind = K::Changed;
    else
        verdict.kind = hash == verdict.recorded.sha256 ? K::Intact : K::Damaged;
    // A published checksum matched at the copy still holds for the same bytes.
    if (verdict.kind == K::Intact)
        verdict.now.published = verdict.recorded.published;
    return verdict;
}

bool ImageCheck::save(const QList<ImageVerdict> &verdicts) const
{
    using K = ImageVerdict::Kind;
    bool ok = false;
    QList<RecordedImage> images = ImageRecord::read(root, &ok);
    if (!ok)
        return false;
    bool changed = false;
    for (const ImageVerdict &verdict : verdicts) {
        if (verdict.kind != K::Intact && verdict.kind != K::Changed
            && verdict.kind != K::NotRecorded)
            continue;
        images.removeIf([&](const RecordedImage &old) {
            return old.path.compare(verdict.now.path, Qt::CaseInsensitive) == 0;
        });
        images << verdict.now;
        changed = true;
    }
    return !changed || ImageRecord::write(root, images);
}
