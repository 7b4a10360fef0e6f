#include "copy/copyqueue.h"

#include "copy/copycommit.h"
#include "copy/copyerror.h"
#include "copy/copyoutcome.h"
#include "copy/isocopyworker.h"
#include "copy/offthread.h"
#include "detect/scsidrivedetector.h"

#include <QDir>
#include <QFileInfo>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QThread>

CopyQueue::CopyQueue(const ScsiDriveDetector *detector, QObject *parent)
    : QObject(parent)
    , detector(detector)
    , thread(new QThread(this))
    , worker(new isoCopyWorker)
{
    thread->start(QThread::InheritPriority);
    worker->moveToThread(thread);
    connect(this, &CopyQueue::copyRequested, worker, &isoCopyWorker::copyInto);
    connect(worker, &isoCopyWorker::progressUpdate, this, &CopyQueue::progressUpdate);
    connect(worker, &isoCopyWorker::transferred, this, [this](qint64 done, qint64 total) {
        emit transferred(done, total);
        noteWork(done);
    });
    connect(worker, &isoCopyWorker::verifyProgress, this, [this](int value, int total) {
        emit verifyProgress(value, total);
        noteWork(runningSize + (total > 0 ? runningSize * value / total : 0));
    });
    connect(worker, &isoCopyWorker::copied, this, [this](qint64 bytes) {
        ++batchImages;
        batchBytes += bytes;
        if (copyMatched())
            matches << copyingFile + QLatin1Char(' ') + matchText();
    });
    connect(worker, &isoCopyWorker::finished, this, [this] {
        emit finished();
        next();
    });
    connect(worker, &isoCopyWorker::partsNamed, this,
            [this](const QString &base) { copyingBase = base; });
    connect(worker, &isoCopyWorker::checkedAgainst, this, [this](const QString &file, bool ok) {
        checked = true;
        matched = ok;
        checkedSums = file;
    });
    connect(worker, &isoCopyWorker::failed, this, &CopyQueue::noteFailure);
    connect(detector, &ScsiDriveDetector::refreshComplete, this, &CopyQueue::sweepLeftovers);
    // Direct: noted in the copy thread as it happens, while the GUI thread may be waiting.
    clock.start();
    const auto moved = [this] { lastMoved = clock.elapsed(); };
    connect(worker, &isoCopyWorker::transferred, this, moved, Qt::DirectConnection);
    connect(worker, &isoCopyWorker::verifyProgress, this, moved, Qt::DirectConnection);
    connect(worker, &isoCopyWorker::finished, this, moved, Qt::DirectConnection);
    connect(worker, &isoCopyWorker::failed, this, moved, Qt::DirectConnection);
}

CopyQueue::~CopyQueue()
{
    if (!abandoned && shutDown(10000)) {
        delete worker;
        return;
    }
    // A thread object destroyed while its thread runs takes the program down; a copy stuck for
    // good is left to end with it.
    // The list itself is never destroyed, so the objects stay reachable to the very end.
    thread->setParent(nullptr);
    static auto *const leftRunning = new QList<QObject *>;
    *leftRunning << thread << worker;
}

bool CopyQueue::shutDown(int quietMs)
{
    // A copy still running stops at its next chunk (the worker removes its files), and any copy
    // not yet begun ends at once.
    closed = true;
    clearBatch();
    worker->shutDown();
    thread->quit();
    lastMoved = clock.elapsed();
    while (!thread->wait(QDeadlineTimer(qMin(quietMs, 50)))) {
        if (clock.elapsed() - lastMoved >= quietMs) {
            abandoned = true;
            return false;
        }
    }
    return true;
}

void CopyQueue::add(const QList<CopyEntry> &entries)
{
    const bool wasIdle = queue.isEmpty();
    queue.append(entries);
    batchTotal += int(entries.size());
    if (wasIdle)
        batchSize = 0;
    for (const CopyEntry &entry : entries)
        batchSize += QFileInfo(entry.sourceFile).size();
    if (wasIdle && !queue.isEmpty()) {
        current = 0;
        sizeBefore = 0;
        runningSize = 0;
        workDone = 0;
        batchImages = 0;
        batchTotal = int(entries.size());
        batchFailures.clear();
        matches.clear();
        batchBytes = 0;
        batchStart = QDateTime::currentMSecsSinceEpoch();
        // A copy of a dropped batch is still under way: its report starts this one.
        if (!copying.isEmpty())
            startDeferred = true;
        else
            startNext();
    }
    emit changed();
}

QStringList CopyQueue::pendingPaths() const
{
    QStringList paths;
    for (int i = qMax(current, 0); i < queue.size(); ++i)
        paths << queue.at(i).folder.filePath(QFileInfo(queue.at(i).sourceFile).fileName());
    return paths;
}

qint64 CopyQueue::batchWork() const
{
    return batchSize * stages();
}

void CopyQueue::noteWork(qint64 inFile)
{
    workDone = qMin(sizeBefore * stages() + qBound(qint64(0), inFile, runningSize * stages()),
                    batchWork());
    emit batchProgress(workDone, batchWork());
}

void CopyQueue::next()
{
    sizeBefore += runningSize;
    runningSize = 0;
    noteWork(0);
    copying.clear();
    copyingFile.clear();
    copyingBase.clear();
    sweepLeftovers();
    if (startDeferred) {
        // The report belonged to a dropped batch; the waiting one starts at its first entry.
        startDeferred = false;
        startNext();
    } else if (++current < queue.size()) {
        startNext();
    } else {
        queue.clear();
        if (batchImages > 0 || !batchFailures.isEmpty())
            emit batchCopied(batchImages, batchTotal, batchBytes,
                             QDateTime::currentMSecsSinceEpoch() - batchStart, batchFailures);
        batchImages = 0;
        batchTotal = 0;
        batchFailures.clear();
    }
    emit changed();
}

qint64 CopyQueue::pendingBytes() const
{
    qint64 bytes = 0;
    for (int i = qMax(current, 0); i < queue.size(); ++i)
        bytes += QFileInfo(queue.at(i).sourceFile).size();
    return bytes;
}

void CopyQueue::setVerify(bool on)
{
    verify = on;
    worker->setVerify(on);
}

void CopyQueue::startNext()
{
    // Starting a copy nobody could report on helps nobody.
    if (closed) {
        clearBatch();
        return;
    }
    // The device root must still lead to the device's own volume: another disk mounted at the
    // same place since must not receive the copy.
    const Discwand::Access access = detector->discwand().access();
    if (access != Discwand::Access::Writable) {
        clearBatch();
        emit stopped(access == Discwand::Access::Gone ? Stop::DeviceGone : Stop::NotWritable);
        return;
    }
    if (current < 0 || current >= queue.size())
        return;

    const CopyEntry entry = queue.at(current);
    copyingFile = QFileInfo(entry.sourceFile).fileName();
    runningSize = QFileInfo(entry.sourceFile).size();
    copying = entry.folder.path();
    // A cancel from now on reaches this copy, even before the worker takes it up.
    worker->arm();
    checked = matched = false;
    checkedSums.clear();
    if (entry.published.isListed())
        worker->expect(entry.sourceFile, entry.published);
    emit fileStarted(copyingFile);
    const QString root = detector->drivePath();
    emit startFileCopy(entry.folder.under(root), entry.sourceFile);
    emit copyRequested(root, entry.folder.path(), entry.sourceFile, entry.replaceFirst);
}

void CopyQueue::cancelCurrent()
{
    worker->cancel();
}

void CopyQueue::cancelAll()
{
    clearBatch();
    worker->cancel();
    emit changed();
}

void CopyQueue::clearBatch()
{
    queue.clear();
    startDeferred = false;
}

void CopyQueue::noteFailure(CopyError error)
{
    if (CopyErrors::mayLeaveTemporary(error) && !copying.isEmpty() && !copyingBase.isEmpty())
        leftovers.insert(copying + copyingBase);
    // A write that failed because the device went away is told as that, and ends the batch.
    if (error == CopyError::DeviceGone
        || (error == CopyError::WriteDestination && !detector->isPresent())) {
        error = CopyError::DeviceGone;
        clearBatch();
    }
    batchFailures << CopyOutcome::listed(copyingFile, error, checkedSums);
    emit failed(error);
    next();
}

void CopyQueue::sweepLeftovers()
{
    // A stick pulled out a moment ago may still be the known device, its mount point an empty
    // folder: only the device's own volume settles what was left on it. A sweep asked for
    // while one runs is left to the next occasion.
    if (leftovers.isEmpty() || sweeping || !detector->isPresent())
        return;
    const QString root = detector->drivePath();
    // Settling syncs the volume, which waits for whatever is still on its way to a slow stick:
    // done off this thread, whose events go on meanwhile.
    sweeping = true;
    const QSet<QString> tidied = OffThread::wait([root, toSweep = leftovers] {
        QSet<QString> done;
        for (const QString &leftover : toSweep) {
            // Only the failed copy's own files: another copy's, running or not, are no
            // business of this one.
            const QString folder = leftover.section(QLatin1Char('/'), 0, -2);
            const QString base = leftover.section(QLatin1Char('/'), -1);
            const QString dir = QDir::cleanPath(root + folder);
            if (!QFileInfo(dir).isDir() || CopyCommit::isBusy(dir, base))
                continue;
            // A copy whose journal was written is seen through; parts without one go.
            const CopyCommit::Leftovers found = CopyCommit::find(dir);
            bool tidy = true;
            if (found.journals.contains(base))
                tidy = CopyCommit::settle(dir, base);
            else
                CopyCommit::discard(dir, base);
            if (tidy)
                done.insert(leftover);
        }
        return done;
    });
    sweeping = false;
    leftovers.subtract(tidied);
}

QString CopyQueue::failureText(CopyError error) const
{
    return CopyErrors::message(error, checkedSums);
}

QString CopyQueue::matchText() const
{
    if (!copyMatched())
        return QString();
    return checkedSums.isEmpty() ? tr("matches the checksum given")
                                 : tr("matches %1").arg(checkedSums);
}
