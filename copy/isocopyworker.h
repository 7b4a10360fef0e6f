// Copies one image onto the device in the copy thread: the parts are written under hidden names,
// split at the part limit, synced, read back and compared when asked, and only then take the
// old image's place. Cancellable between chunks.
#pragma once

#include "copy/copyerror.h"
#include "copy/publishedsums.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <atomic>
#include <memory>
#include <mutex>

class ChunkHasher;
class QFile;

class isoCopyWorker : public QObject
{
    Q_OBJECT
public:
    isoCopyWorker();
    ~isoCopyWorker() override;

    // Called directly from the GUI thread while a copy may run in the worker's thread.
    void cancel();
    // Clears an earlier cancel before a new copy is requested; a cancel that comes after this,
    // even before the copy begins, stops that copy.
    void arm();
    // Also called directly: cancels the running copy and every copy still queued for the
    // worker, which then report finished() without touching the device.
    void shutDown();
    // Whether each copy is read back from the device and compared with its source.
    void setVerify(bool on) { verify = on; }
    // Called directly too: the checksum the next copy of sourceFile must match, in place of
    // those published beside it.
    void expect(const QString &sourceFile, const PublishedSum &sum);
    // The room a copy of `size` bytes takes on a volume of that allocation unit, parts included.
    static qint64 roomFor(qint64 size, qint64 cluster);

signals:
    void finished();
    // Right before finished(), when the copy is whole in its place (not cancelled).
    void copied(qint64 bytes);
    void failed(CopyError error);
    // Percent of the source copied, as each chunk is handed to the device; the last report
    // comes once the whole copy is on it.
    void progressUpdate(int value, int total);
    // Bytes on the device so far, and the source's size.
    void transferred(qint64 done, qint64 total);
    // Percent of the copy read back and compared.
    void verifyProgress(int value, int total);
    // The hidden name the copy's parts are written under in its folder, before the first one.
    void partsNamed(const QString &base);
    // Right before copied() or failed(): the checksum file (empty: a hash given) the copy was
    // compared with, and whether it matched. Also before a failure over a checksum file that
    // cannot be read or disagrees with itself.
    void checkedAgainst(const QString &file, bool matched);

public slots:
    // Copies sourceFile into destDir, making the folders it lacks.
    void copyFile(QString destDir, QString sourceFile);
    // Copies sourceFile into folder ("/linux/") below deviceRoot. The device root itself is
    // never made: when it is not there, the device is gone. replaceFirst removes the old image
    // before copying, for a device without room for both.
    void copyInto(QString deviceRoot, QString folder, QString sourceFile, bool replaceFirst);

private:
    enum class Step { Done, Cancelled, Failed };
    // Writes the parts; sets *parts to their number.
    // hashing: the source's hash is wanted (a read-back, a published checksum), so the data
    // passes through the buffers rather than the kernel's copy. readBack: the copy is read back
    // from the device next, so its pages leave the page cache as they reach the device.
    Step writeParts(QFile &source, const QString &dir, const QString &base, int *parts,
                    bool hashing, bool readBack);
    Step verifyParts(QFile &source, const QString &dir, const QString &base, int parts);
    void fail(CopyError error);
    // Puts the committed copy into the stick's record of what it holds.
    void record(const QString &deviceRoot, const QString &path, qint64 size, int parts,
                const QString &published);

    std::atomic<bool> cancelRequested { false };
    std::atomic<bool> stopping { false };
    std::atomic<bool> verify { false };
    const qint64 chunkSize = 6291456;
    // Lends the buffers that carry each chunk when the kernel cannot copy between the two files
    // itself, or when the chunks are hashed beside the copy and the read-back.
    std::unique_ptr<ChunkHasher> hasher;
    // The hashes of the source as it was read for the copy, and so of what was written.
    QByteArray sourceHash;
    QByteArray sourceHash512;
    std::mutex expectedLock;
    QHash<QString, PublishedSum> expected;
    CopyError failure = CopyError::WriteDestination;
};
