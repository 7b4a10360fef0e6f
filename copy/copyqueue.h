// The files waiting to be copied onto the device, handed one at a time to the copy worker in its
// own thread (or downloaded there, for an entry with an address); each report moves it on by
// itself. It checks the device before each file, keeps what a failure report needs after the
// queue empties, and removes what failed copies may have left once the device is back.
#pragma once

#include "copy/copyentry.h"
#include "copy/copyerror.h"
#include "copy/imagedownload.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>

#include <atomic>

class QThread;
class ScsiDriveDetector;
class isoCopyWorker;

class CopyQueue : public QObject
{
    Q_OBJECT
public:
    // Why a batch was dropped before its next file could start.
    enum class Stop { DeviceGone, NotWritable };
    Q_ENUM(Stop)

    explicit CopyQueue(const ScsiDriveDetector *detector, QObject *parent = nullptr);
    // Stops the running copy and any copy not yet begun, and waits for the copy thread as
    // shutDown(10000) does, unless a shutDown gave up on it already.
    ~CopyQueue() override;

    // Stops the running copy and every one not yet begun, and waits for the copy thread as long
    // as the copy still moves (a chunk on a slow stick may take seconds), giving up once it has
    // not moved for quietMs. False when a copy is stuck in a call that does not come back (a
    // source that stopped answering): the thread is then left to end with the program, and
    // is not waited for again.
    bool shutDown(int quietMs);

    // Entries join the running batch at its end, or start a new batch.
    void add(const QList<CopyEntry> &entries);
    void cancelCurrent();
    // Drops the batch; the running copy stops and still reports.
    void cancelAll();

    int index() const { return current; }
    // Where the running copy and those after it go on the device ("/linux/a.iso"), and how
    // many bytes they bring.
    QStringList pendingPaths() const;
    qint64 pendingBytes() const;
    // Whether copies are read back and compared; from the next copy on.
    void setVerify(bool on);
    bool verifies() const { return verify; }
    int count() const { return int(queue.size()); }
    // The file handed to the worker and not yet reported; kept after the queue is emptied.
    QString copyingName() const { return copyingFile; }
    // Nothing waits and no copy is out at the worker.
    bool isIdle() const { return queue.isEmpty() && copyingFile.isEmpty(); }
    // How far the batch is, as batchProgress last told it.
    qint64 batchDone() const { return workDone; }
    qint64 batchWork() const;
    // The checksum file the running copy was compared with ("" for a hash given), once it was;
    // and whether it matched.
    bool copyChecked() const { return checked; }
    QString copySums() const { return checkedSums; }
    bool copyMatched() const { return checked && matched; }
    // The words for a failure of the running copy, naming its checksum file where it has one;
    // a download's own words for its failure.
    QString failureText(CopyError error) const;
    // "matches SHA256SUMS" for a running copy that matched its published checksum, else "".
    QString matchText() const;
    // The images of the last batch that matched their published checksums, each as
    // "a.iso matches SHA256SUMS"; kept until the next batch starts.
    QStringList batchMatches() const { return matches; }

signals:
    // A copy of sourceFile into destDir (the folder's path on the device) begins.
    void startFileCopy(QString destDir, QString sourceFile);
    // To the worker.
    void copyRequested(QString deviceRoot, QString folder, QString sourceFile, bool replaceFirst);
    void fileStarted(QString name);
    // The worker's reports, passed on once the queue has taken note of them.
    void progressUpdate(int value, int total);
    void transferred(qint64 done, qint64 total);
    void verifyProgress(int value, int total);
    // A batch ended with these images whole on the device, of total entries; failures name
    // those that failed, "name (reason)". Not sent for a batch that did nothing at all.
    void batchCopied(int images, int total, qint64 bytes, qint64 ms, QStringList failures);
    // The running file's report, sent before the queue moves on: while it is handled the file
    // is still the one copyingName() and pendingPaths() name.
    void finished();
    void failed(CopyError error);
    // The batch in bytes to handle: each file's size once, twice when it is read back too.
    void batchProgress(qint64 done, qint64 total);
    // The batch was dropped: its next file could not start.
    void stopped(CopyQueue::Stop why);
    // Something the user should know about the running download that does not stop it (a
    // resume, a restart).
    void note(QString text);
    // The batch grew, moved on or ended.
    void changed();

private:
    // The running file was reported: the next file starts, or the batch ends.
    void next();
    void startNext();
    void startDownload(const CopyEntry &entry, const QString &root);
    void downloadProgress(qint64 done, qint64 total);
    // The download's report, read in its thread as it finished.
    void downloadDone(ImageDownload::Outcome outcome, const QString &name, const QString &why,
                      const QString &checkedAgainst);
    void clearBatch();
    void noteFailure(CopyError error);
    void noteWork(qint64 inFile);
    qint64 stages() const { return verify ? 2 : 1; }
    void sweepLeftovers();

    const ScsiDriveDetector *detector;
    QThread *thread;
    isoCopyWorker *worker;
    // The running download, living in the copy thread; let go once its report is here.
    ImageDownload *download = nullptr;
    bool sumGiven = false; // the running download's checksum was the user's
    QString downloadError; // the running download's words for its failure
    qint64 downloaded = 0;
    QList<CopyEntry> queue;
    int current = 0;
    bool closed = false;
    bool verify = false; // as the worker was last told
    bool abandoned = false;
    // When the worker last showed it moves (a chunk written or read back, a report), on a clock
    // started with the queue; set from the copy thread.
    QElapsedTimer clock;
    std::atomic<qint64> lastMoved { 0 };
    // A new batch waits for the report of a copy left over from a batch that was dropped.
    bool startDeferred = false;
    // The copy at the worker: its folder on the device, its file name and the hidden name of
    // its parts.
    QString copying;
    QString copyingFile;
    QString copyingBase;
    bool checked = false;
    bool matched = false;
    QString checkedSums;
    // What the batch has copied so far, and since when.
    int batchImages = 0;
    int batchTotal = 0;
    QStringList batchFailures;
    QStringList matches;
    qint64 batchBytes = 0;
    qint64 batchStart = 0;
    // The sizes of the batch's files, of those reported, and what is done of the running one,
    // counted as batchProgress counts.
    qint64 batchSize = 0;
    qint64 sizeBefore = 0;
    qint64 runningSize = 0;
    qint64 workDone = 0;
    // Copies that failed ("/folder/" and the hidden name of their parts), perhaps on a volume
    // that vanished before their parts could go; each time the device is found or a file is
    // done they are tidied again.
    QSet<QString> leftovers;
    bool sweeping = false;
};
