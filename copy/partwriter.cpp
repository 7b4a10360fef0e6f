// The stream's bytes are gathered into chunks of the copy's size before they are written: small
// network reads written one by one would cost the stick many small writes.
#include "copy/partwriter.h"

#include "copy/chunkhasher.h"
#include "copy/copycommit.h"
#include "copy/copyerror.h"
#include "copy/devicereadback.h"
#include "copy/filesync.h"
#include "copy/imageset.h"
#include "copy/isoheadercache.h"
#include "detect/discwand.h"
#include "detect/volumeroom.h"

#include <QFileInfo>

#include <cerrno>
#include <cstring>

namespace {

constexpr qint64 chunkSize = 6291456;
constexpr int maxInFlight = 3;

} // namespace

PartWriter::PartWriter(const QString &folder, qint64 bytes)
    : dir(folder)
    , partBytes(bytes)
    , hasher(std::make_unique<ChunkHasher>(chunkSize))
    , readBehind(std::make_unique<DeviceReadBack>(chunkSize, maxInFlight))
{ }

PartWriter::~PartWriter()
{
    if (!committed)
        discard();
}

qint64 PartWriter::partBytesFor(qint64 total)
{
    return total >= 0 && total <= ImageSet::partLimit ? ImageSet::partLimit : ImageSet::fullPart;
}

int PartWriter::open()
{
    volume = Discwand::fileSystemOf(dir);
    bool locked = false;
    // A sweep that removed the new file before it was locked costs only another name.
    for (int tries = 0; tries < 3 && !locked; ++tries) {
        baseName = CopyCommit::newBase(dir);
        locked = lock.take(dir + QLatin1Char('/') + CopyCommit::partName(baseName, 0));
    }
    if (!locked) {
        baseName.clear();
        return int(CopyError::OpenDestination);
    }
    return openPart(0);
}

int PartWriter::openPart(int index)
{
    part.setFileName(dir + QLatin1Char('/') + CopyCommit::partName(baseName, index));
    if (!part.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return int(CopyError::OpenDestination);
    partCount = index + 1;
    inPart = 0;
    inFlight.clear();
    return 0;
}

int PartWriter::writeFailed(bool noRoom, bool tooLarge)
{
    // A folder of that name may stay behind a volume that went away; its volume tells.
    if (Discwand::fileSystemOf(dir) != volume)
        return int(CopyError::DeviceGone);
    if (tooLarge)
        return int(CopyError::FileTooLarge);
    const VolumeRoom room = VolumeRoom::of(dir);
    if (noRoom || (room.freeBytes >= 0 && room.freeBytes < chunkSize))
        return int(CopyError::DeviceFull);
    return int(CopyError::WriteDestination);
}

char *PartWriter::space(qint64 *room)
{
    *room = chunkSize - held;
    return hasher->buffer() + held;
}

int PartWriter::took(qint64 size)
{
    held += size;
    return held == chunkSize ? flush() : 0;
}

int PartWriter::append(const char *data, qint64 size)
{
    while (size > 0) {
        qint64 room = 0;
        char *at = space(&room);
        const qint64 n = qMin(size, room);
        memcpy(at, data, size_t(n));
        data += n;
        size -= n;
        if (const int error = took(n))
            return error;
    }
    return 0;
}

int PartWriter::flush()
{
    if (held == 0)
        return 0;
    // The chunk is hashed in the hasher's thread while the next one arrives, and kept to be
    // compared with what the device returns.
    readBehind->expect(hasher->buffer(), held);
    const int error = writeChunk(hasher->buffer(), held);
    hasher->add(held);
    held = 0;
    return error;
}

int PartWriter::writeChunk(const char *data, qint64 size)
{
    while (size > 0) {
        if (inPart == partBytes) {
            // Without this the stick may still be filling from the page cache when the user
            // unplugs it.
            if (!FileSync::syncFile(part))
                return writeFailed(false, false);
            FileSync::dropCache(part);
            readBehind->reach(partCount - 1, part.fileName(), inPart, true);
            part.close();
            if (const int error = openPart(partCount))
                return error;
        }
        const qint64 n = qMin(size, partBytes - inPart);
        errno = 0;
        if (part.write(data, n) != n) {
            const int why = errno;
            return writeFailed(why == ENOSPC, why == EFBIG);
        }
        // The device writes this piece while the next ones arrive; the oldest of those before
        // it must be on the device first, so that what is counted stays close to what is
        // written while the device still has a few chunks to work on side by side.
        FileSync::startWriteback(part, inPart, n);
        inFlight.append({ inPart, n });
        if (inFlight.size() > maxInFlight) {
            const auto [at, length] = inFlight.takeFirst();
            FileSync::waitWriteback(part, at, length);
            // On the device now: it is read back while the next chunks arrive.
            readBehind->reach(partCount - 1, part.fileName(), at + length, false);
        }
        inPart += n;
        onDevice += n;
        data += n;
        size -= n;
    }
    return 0;
}

int PartWriter::restart(qint64 bytes)
{
    held = 0;
    hasher->result();
    readBehind->reset();
    part.close();
    for (int i = partCount - 1; i > 0; --i)
        QFile::remove(dir + QLatin1Char('/') + CopyCommit::partName(baseName, i));
    partBytes = bytes;
    onDevice = 0;
    return openPart(0);
}

int PartWriter::finish()
{
    if (const int error = flush())
        return error;
    writtenHash = hasher->result();
    if (!FileSync::syncFile(part))
        return writeFailed(false, false);
    FileSync::dropCache(part);
    // The rest is read back while the checksum is looked at.
    readBehind->reach(partCount - 1, part.fileName(), inPart, true);
    part.close();
    return 0;
}

QByteArray PartWriter::readBack(const std::atomic<bool> &cancel,
                                const std::function<void(int)> &percent)
{
    return readBehind->finish(onDevice, cancel, percent) ? writtenHash : QByteArray();
}

int PartWriter::commit(const QString &name)
{
    // The read-back's files are closed: Windows renames no file that is open.
    readBehind->reset();
    // A folder in the way of a final name would stop the journal half-way for ever.
    for (const QString &final : CopyCommit::finalNames(name, partCount))
        if (QFileInfo(dir + QLatin1Char('/') + final).isDir())
            return int(CopyError::RenameTemporary);
    if (!CopyCommit::writeJournal(dir, baseName, name, partCount))
        return int(CopyError::RenameTemporary);
    // From here the journal sees the image through, even after a crash.
    committed = true;
    IsoHeaderCache::forgetBelow(dir);
    const bool applied = CopyCommit::apply(dir, baseName);
    lock.release();
    return applied ? 0 : int(CopyError::RenameTemporary);
}

void PartWriter::discard()
{
    if (baseName.isEmpty())
        return;
    readBehind->reset();
    part.close();
    lock.release();
    CopyCommit::discard(dir, baseName);
    baseName.clear();
}
