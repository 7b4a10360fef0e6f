#include "copy/isocopyworker.h"

#include "copy/chunkhasher.h"
#include "copy/copycommit.h"
#include "copy/copylock.h"
#include "copy/copyerror.h"
#include "copy/filesync.h"
#include "copy/imagerecord.h"
#include "copy/imageset.h"
#include "copy/isoheadercache.h"
#include "copy/log.h"
#include "detect/discwand.h"
#include "detect/volumeroom.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

constexpr int progressTotal = 100;

// Makes the folders of `folder` below root, one at a time: a root that is gone stays gone, and
// the copy fails instead of filling a folder of that name on the computer's own disk.
bool makeFolders(const QString &root, const QString &folder)
{
    if (root.isEmpty())
        return QDir().mkpath(folder);
    if (!QFileInfo(root).isDir())
        return false;
    QDir at(root);
    for (const QString &name : folder.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        // The copy stays below the root, whatever the folder's name says.
        if (name == QLatin1String(".") || name == QLatin1String(".."))
            return false;
        if (!at.exists(name) && !at.mkdir(name))
            return false;
        if (!at.cd(name))
            return false;
    }
    return true;
}

int percentOf(qint64 done, qint64 size)
{
    // Below 100 bytes there is no whole hundredth to count in; the one chunk is all of it. Up to
    // 199 bytes the hundredth rounds down to one byte, which would count past 100.
    const qint64 step = size / 100;
    return step > 0 ? int(qMin<qint64>(done / step, progressTotal))
                    : int(done * progressTotal / qMax<qint64>(size, 1));
}

} // namespace

qint64 isoCopyWorker::roomFor(qint64 size, qint64 cluster)
{
    // Each part fills whole clusters.
    qint64 room = 0;
    for (const qint64 part : ImageSet::partSizes(size))
        room += (part + cluster - 1) / cluster * cluster;
    return room;
}

isoCopyWorker::isoCopyWorker() = default;

isoCopyWorker::~isoCopyWorker() = default;

void isoCopyWorker::cancel()
{
    cancelRequested = true;
}

void isoCopyWorker::arm()
{
    cancelRequested = false;
}

void isoCopyWorker::shutDown()
{
    stopping = true;
    cancelRequested = true;
}

void isoCopyWorker::expect(const QString &sourceFile, const PublishedSum &sum)
{
    std::lock_guard<std::mutex> guard(expectedLock);
    expected.insert(QDir::toNativeSeparators(sourceFile), sum);
}

void isoCopyWorker::record(const QString &deviceRoot, const QString &path, qint64 size, int parts,
                           const QString &published)
{
    std::optional<RecordedImage> image = ImageRecord::describe(deviceRoot, path);
    if (!image || image->size != size || image->parts != parts) {
        qCWarning(lcCopy) << "The copy" << path << "is not as written; it is not recorded.";
        return;
    }
    image->sha256 = sourceHash.toHex();
    image->verified = QDateTime::currentDateTimeUtc();
    image->published = published;
    ImageRecord::put(deviceRoot, *image);
}

void isoCopyWorker::copyFile(QString destDir, QString sourceFile)
{
    copyInto(QString(), destDir, sourceFile, false);
}

void isoCopyWorker::fail(CopyError error)
{
    failure = error;
}

void isoCopyWorker::copyInto(QString deviceRoot, QString folder, QString sourceFile,
                             bool replaceFirst)
{
    if (!hasher)
        hasher = std::make_unique<ChunkHasher>(chunkSize);
    if (stopping) {
        emit finished();
        return;
    }
    failure = CopyError::WriteDestination;
    sourceHash.clear();
    sourceHash512.clear();
    const bool readBack = verify;

    sourceFile = QDir::toNativeSeparators(sourceFile);
    PublishedSum published;
    {
        std::lock_guard<std::mutex> guard(expectedLock);
        published = expected.take(sourceFile);
    }
    const QString name = QFileInfo(sourceFile).fileName();
    const QString dir = QDir::cleanPath(deviceRoot + folder);
    qCDebug(lcCopy) << "Copying" << sourceFile << "to"
                    << QDir::toNativeSeparators(deviceRoot + folder + name);

    if (!makeFolders(deviceRoot, folder)) {
        emit failed(CopyError::CreatePath);
        return;
    }
    // Open the source before touching the device, so an unreadable source costs nothing.
    QFile source(sourceFile);
    if (!source.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        emit failed(CopyError::OpenSource);
        return;
    }
    // A checksum file that says nothing clear would let a bad image through unnoticed.
    if (!published.isListed())
        published = PublishedSums::find(sourceFile);
    if (published.isTrouble()) {
        emit checkedAgainst(published.file, false);
        emit failed(published.state == PublishedSum::State::Unreadable
                        ? CopyError::ChecksumUnreadable
                        : CopyError::ChecksumConflict);
        return;
    }
    hasher->alsoSha512(published.isListed() && published.kind == PublishedSum::Kind::Sha512);
    // Larger read-ahead on the source; measured faster for multi-gigabyte images.
    FileSync::adviseSequential(source);
    const QByteArray sourceStamp = FileSync::stamp(sourceFile);
    // As the record names it, "/linux/a.iso"; a path starting "//" would be a network share
    // to Windows.
    const QString path
        = QDir::cleanPath(QLatin1Char('/') + folder + QLatin1Char('/') + name)
              .replace(QRegularExpression(QStringLiteral("^/+")), QStringLiteral("/"));
    // The old image goes first for want of room: so does its entry in the record.
    if (replaceFirst && !deviceRoot.isEmpty())
        ImageRecord::forget(deviceRoot, { path });
    if (replaceFirst)
        for (const QString &old : CopyCommit::imageFiles(dir, name))
            QFile::remove(dir + QLatin1Char('/') + old);

    // Held until the copy is in place or gone: listings, checks and sweeps, in this process or
    // another, leave a copy under way alone. A sweep that removed the new file before it was
    // locked costs only another name.
    QString base;
    CopyLock lock;
    bool locked = false;
    for (int tries = 0; tries < 3 && !locked; ++tries) {
        base = CopyCommit::newBase(dir);
        locked = lock.take(dir + QLatin1Char('/') + CopyCommit::partName(base, 0));
    }
    if (!locked) {
        emit failed(CopyError::OpenDestination);
        return;
    }
    emit partsNamed(base);
    int parts = 0;
    Step step = writeParts(source, dir, base, &parts, readBack || published.isListed(), readBack);
    if (step == Step::Done && readBack)
        step = verifyParts(source, dir, base, parts);
    // What was written is what was read: its hash stands for the copy.
    bool matched = false;
    if (step == Step::Done && published.isListed()) {
        matched = (published.kind == PublishedSum::Kind::Sha256 ? sourceHash : sourceHash512)
            == published.digest;
        emit checkedAgainst(published.file, matched);
        if (!matched) {
            qCWarning(lcCopy) << sourceFile << "does not match the checksum published in"
                              << published.file;
            fail(CopyError::ChecksumMismatch);
            step = Step::Failed;
        }
    }
    source.close();
    // A cancel that came after the last chunk still leaves the old image as it was.
    if (step == Step::Done && cancelRequested)
        step = Step::Cancelled;
    // A source written to meanwhile may differ from the copy even where the check agreed.
    if (step == Step::Done && FileSync::stamp(sourceFile) != sourceStamp) {
        fail(CopyError::SourceChanged);
        step = Step::Failed;
    }
    // A folder in the way of a final name would stop the journal half-way for ever.
    for (const QString &final : CopyCommit::finalNames(name, parts)) {
        if (step == Step::Done && QFileInfo(dir + QLatin1Char('/') + final).isDir()) {
            fail(CopyError::RenameTemporary);
            step = Step::Failed;
        }
    }
    // The old image's entry goes before the new image takes its place: a crash in between
    // leaves the new one unrecorded, never recorded with the old one's hash.
    if (step == Step::Done && !deviceRoot.isEmpty())
        ImageRecord::forget(deviceRoot, { path });
    if (step == Step::Done && !CopyCommit::writeJournal(dir, base, name, parts)) {
        fail(CopyError::RenameTemporary);
        step = Step::Failed;
    }
    if (step != Step::Done) {
        lock.release();
        CopyCommit::discard(dir, base);
        if (step == Step::Cancelled)
            emit finished();
        else
            emit failed(failure);
        return;
    }
    // From here the journal sees the copy through, even after a crash.
    // The new image may match the old one's size and, on FAT's two-second clock, its time.
    IsoHeaderCache::forgetBelow(dir);
    if (!CopyCommit::apply(dir, base)) {
        emit failed(CopyError::RenameTemporary);
        return;
    }
    if (!deviceRoot.isEmpty() && !sourceHash.isEmpty())
        record(deviceRoot, path, source.size(), parts, matched ? published.file : QString());
    emit copied(source.size());
    emit finished();
}

isoCopyWorker::Step isoCopyWorker::writeParts(QFile &source, const QString &dir,
                                              const QString &base, int *parts, bool hashing,
                                              bool readBack)
{
    const QString at = dir + QLatin1Char('/');
    const qint64 size = source.size();
    QFile part(at + CopyCommit::partName(base, 0));
    if (!part.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        fail(CopyError::OpenDestination);
        return Step::Failed;
    }
    *parts = 1;
    emit progressUpdate(0, progressTotal);
    emit transferred(0, size);

    // A copy that is checked (read back, or compared with a published checksum) is hashed as it
    // is written, and the source is read only once; one that is not goes at the kernel's speed,
    // and is recorded on the stick once a check has read it.
    hasher->result();
    hasher->resultSha512();
    bool inKernel = !hashing;
    qint64 inPart = 0;
    qint64 remaining = size;
    // The chunks before the current one ([1] the last, [0] the one before) may still be on
    // their way to the device. While the device lags behind, waiting for the last keeps at most
    // two chunks in flight, so what is reported stays close to what is on the device. When the
    // last few chunks took less than lagMs each, the device keeps up with a fast source and is
    // not held back that close: it gets one chunk more. A single chunk's time says little: a
    // device may write two chunks side by side and finish them together.
    qint64 inFlight[2] = { -1, -1 };
    // The part's bytes before this are on the device. A copy read back has their pages dropped
    // as soon as they get there, while the device writes the next ones, so that the read-back
    // finds nothing left to drop and starts at once. One that is not leaves them to the kernel,
    // as cp does: freeing a gigabyte of pages costs a fast disk's copy a tenth of its time.
    qint64 onDevice = 0;
    constexpr qint64 lagMs = 40;
    constexpr int paced = 4;
    qint64 waitsDone[paced] = { -1, -1, -1, -1 }; // when the last waits returned, in ms
    int waits = 0;
    bool lagging = true;
    QElapsedTimer clock;
    clock.start();
    // A folder of that name may stay behind a volume that went away; its volume tells.
    const quint64 volume = Discwand::fileSystemOf(dir);
    const auto writeFailed = [&](FileSync::Transfer why) {
        const bool gone = Discwand::fileSystemOf(dir) != volume;
        const VolumeRoom room = VolumeRoom::of(dir);
        const bool full = why == FileSync::Transfer::NoRoom
            || (room.freeBytes >= 0 && room.freeBytes < chunkSize);
        fail(gone                                      ? CopyError::DeviceGone
                 : why == FileSync::Transfer::TooLarge ? CopyError::FileTooLarge
                 : full                                ? CopyError::DeviceFull
                                                       : CopyError::WriteDestination);
        return Step::Failed;
    };

    while (!cancelRequested && remaining > 0) {
        const qint64 chunk = qMin(remaining, chunkSize);
        if (ImageSet::startsNewPart(inPart, chunk)) {
            // Without this the stick may still be filling from the page cache when the user
            // unplugs it.
            if (!FileSync::syncFile(part))
                return writeFailed(FileSync::Transfer::WriteFailed);
            if (readBack)
                FileSync::dropCache(part);
            part.close();
            part.setFileName(at + CopyCommit::partName(base, (*parts)++));
            inPart = 0;
            inFlight[0] = inFlight[1] = -1;
            onDevice = 0;
            if (!part.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
                fail(CopyError::OpenDestination);
                return Step::Failed;
            }
        }
        char *buffer = hasher->buffer();
        const FileSync::Transfer moved = FileSync::transferChunk(source, part, buffer, chunk, inKernel);
        if (moved == FileSync::Transfer::SourceShort) {
            fail(CopyError::ReadSource);
            return Step::Failed;
        }
        if (moved != FileSync::Transfer::Done)
            return writeFailed(moved);
        // Start the device writing now; the chunk is hashed in the hashing thread while the
        // next one is read and written, and an earlier chunk is waited for.
        FileSync::startWriteback(part, inPart, chunk);
        if (hashing)
            hasher->add(chunk);
        // The next chunk of the source comes off its disk while the device catches up.
        if (remaining > chunk)
            FileSync::readAhead(source, size - remaining + chunk, chunkSize);
        if (const qint64 oldest = inFlight[lagging ? 1 : 0]; oldest >= 0) {
            // From the first chunk not yet waited for, so that only written pages are dropped
            // (one still being written would make the kernel drain every processor's page
            // lists); nothing when that chunk was waited for already, as the device lagged.
            if (const qint64 upTo = oldest + chunkSize; upTo > onDevice) {
                FileSync::waitWriteback(part, onDevice, upTo - onDevice);
                if (readBack)
                    FileSync::dropCache(part, onDevice, upTo - onDevice);
                onDevice = upTo;
            }
            const qint64 now = clock.elapsed(), before = waitsDone[waits % paced];
            waitsDone[waits++ % paced] = now;
            lagging = before < 0 || now - before >= paced * lagMs;
        }
        inFlight[0] = inFlight[1];
        inFlight[1] = inPart;
        remaining -= chunk;
        inPart += chunk;
        // The last report says the copy is on the device: on a slow stick the two chunks
        // still on their way take more than a second.
        if (remaining == 0)
            FileSync::waitWriteback(part, 0, inPart);

        const qint64 copied = size - remaining;
        emit progressUpdate(percentOf(copied, size), progressTotal);
        emit transferred(copied, size);
    }
    if (cancelRequested)
        return Step::Cancelled;
    if (!FileSync::syncFile(part))
        return writeFailed(FileSync::Transfer::WriteFailed);
    if (readBack)
        FileSync::dropCache(part);
    if (hashing) {
        sourceHash = hasher->result();
        sourceHash512 = hasher->resultSha512();
    }
    hasher->alsoSha512(false);
    return Step::Done;
}

isoCopyWorker::Step isoCopyWorker::verifyParts(QFile &source, const QString &dir,
                                               const QString &base, int parts)
{
    const qint64 size = source.size();
    // A read that fails or ends early on a volume that went away is a pull, not a bad copy.
    const quint64 volume = Discwand::fileSystemOf(dir);
    const auto readFailed = [&] {
        const bool gone = Discwand::fileSystemOf(dir) != volume;
        fail(gone ? CopyError::DeviceGone : CopyError::VerifyMismatch);
        return Step::Failed;
    };
    hasher->result();
    qint64 done = 0;
    emit verifyProgress(0, progressTotal);
    for (int i = 0; i < parts; ++i) {
        QFile part(dir + QLatin1Char('/') + CopyCommit::partName(base, i));
        if (!part.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
            return readFailed();
        // What the device returns, not what the page cache still holds.
        FileSync::dropCache(part);
        FileSync::adviseSequential(part);
        for (;;) {
            if (cancelRequested)
                return Step::Cancelled;
            // Read into the next free buffer while the hashing thread takes the chunks before.
            const qint64 n = part.read(hasher->buffer(), chunkSize);
            if (n < 0)
                return readFailed();
            if (n == 0)
                break;
            hasher->add(n);
            done += n;
            emit verifyProgress(percentOf(done, size), progressTotal);
        }
    }
    const QByteArray copyHash = hasher->result();
    if (done != size && Discwand::fileSystemOf(dir) != volume)
        return readFailed();
    if (done != size || copyHash != sourceHash) {
        qCWarning(lcCopy) << "The copy of" << source.fileName() << "does not match its source.";
        fail(CopyError::VerifyMismatch);
        return Step::Failed;
    }
    return Step::Done;
}
