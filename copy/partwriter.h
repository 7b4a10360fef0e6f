// Writes an image that arrives as a stream (a download) the way a copy is written: hidden parts
// split at the part limit while the bytes come, bounded writeback, a hash of what was written,
// the read-back (of each chunk once the device has it, while later ones still arrive) and the
// journal that puts it in place. Nothing of it stays behind unless it was committed.
#pragma once

#include "copy/copylock.h"

#include <QFile>
#include <QList>
#include <QPair>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>

class ChunkHasher;
class DeviceReadBack;

class PartWriter
{
public:
    // Writes into dir, each part but the last partBytes long.
    PartWriter(const QString &dir, qint64 partBytes);
    // Discards the parts unless they were committed.
    ~PartWriter();
    PartWriter(const PartWriter &) = delete;
    PartWriter &operator=(const PartWriter &) = delete;

    // The part length for an image of total bytes (negative: not known): whole when it fits
    // below the part limit, else the copy's full part. Unknown lengths split at the full part,
    // which every reader accepts whatever the last part's size.
    static qint64 partBytesFor(qint64 total);

    // Takes a hidden base name and its lock, and opens the first part. 0 or a CopyError.
    int open();
    // Takes bytes in; they reach the device a chunk at a time. 0 or a CopyError.
    int append(const char *data, qint64 size);
    // The same without a copy in between: the room to fill next (*room bytes, at least one),
    // then took() says how much of it was filled.
    char *space(qint64 *room);
    int took(qint64 size);
    // Hands what is held back to the device, so that written() is all that was taken in.
    int flush();
    // Back to no bytes at all, with parts of partBytes from now: a download that starts over.
    int restart(qint64 partBytes);
    // Flushes and syncs the last part. 0 or a CopyError.
    int finish();

    qint64 written() const { return onDevice; }
    qint64 taken() const { return onDevice + held; }
    int parts() const { return partCount; }
    QString base() const { return baseName; }
    // The hash of everything taken in, once finished.
    QByteArray hash() const { return writtenHash; }
    // Reads back from the device what was not read back yet (the chunks the device had were read
    // while the later ones arrived); hash() when all of it is as written, empty when it is not or
    // cannot be read whole. percent is told as it goes; a cancel ends it early (empty).
    QByteArray readBack(const std::atomic<bool> &cancel, const std::function<void(int)> &percent);
    // Journals the parts as the image called name and renames them into place. 0 or a CopyError.
    int commit(const QString &name);
    // Removes the parts; nothing of them stays.
    void discard();

private:
    int writeChunk(const char *data, qint64 size);
    int openPart(int index);
    int writeFailed(bool noRoom, bool tooLarge);

    const QString dir;
    qint64 partBytes;
    QString baseName;
    CopyLock lock;
    QFile part;
    int partCount = 0;
    qint64 inPart = 0;
    qint64 onDevice = 0;
    // The ranges of the current part on their way to the device, oldest first.
    QList<QPair<qint64, qint64>> inFlight;
    quint64 volume = 0;
    // Lends the buffer the chunk is gathered in, and hashes the chunks written.
    std::unique_ptr<ChunkHasher> hasher;
    qint64 held = 0;
    // Reads back each chunk once the device has it, beside the writing.
    std::unique_ptr<DeviceReadBack> readBehind;
    QByteArray writtenHash; // once finished
    bool committed = false;
};
