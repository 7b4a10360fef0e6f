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
    // A download stops where it is; one whose cancel the thread does not get to goes with the
    // thread's end, which discards what it wrote.
    if (download) {
        download->cancelSoon();
        download = nullptr;
    }
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
        batchSize += entry.size();
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
        paths << queue.at(i).folder.filePath(queue.at(i).fileName());
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
    downloadError.clear();
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
        bytes += queue.at(i).size();
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
    copyingFile = entry.fileName();
    runningSize = entry.size();
    copying = entry.folder.path();
    checked = matched = false;
    checkedSums.clear();
    const QString root = detector->drivePath();
    if (entry.isDownload()) {
        startDownload(entry, root);
        return;
    }
    // A cancel from now on reaches this copy, even before the worker takes it up.
    worker->arm();
    if (entry.published.isListed())
        worker->expect(entry.sourceFile, entry.published);
    emit fileStarted(copyingFile);
    emit startFileCopy(entry.folder.under(root), entry.sourceFile);
    emit copyRequested(root, entry.folder.path(), entry.sourceFile, entry.replaceFirst);
}

void CopyQueue::startDownload(const CopyEntry &entry, const QString &root)
{
    auto *job = new ImageDownload;
    job->setDeviceRoot(root);
    job->setName(entry.name);
    sumGiven = entry.published.isListed();
    if (sumGiven)
        job->setSha256(entry.published.digest.toHex());
    if (entry.sumsAddress.isValid())
        job->setSumsUrl(entry.sumsAddress);
    downloaded = 0;
    job->moveToThread(thread);
    // A download whose report has not come when the thread ends goes with it.
    connect(thread, &QThread::finished, job, &QObject::deleteLater);
    download = job;
    connect(job, &ImageDownload::named, this, [this, job](const QString &name) {
        if (job == download && name != copyingFile) {
            copyingFile = name;
            emit fileStarted(name);
        }
    });
    connect(job, &ImageDownload::progress, this, &CopyQueue::downloadProgress);
    connect(job, &ImageDownload::verifying, this, [this](int percent) {
        // A length the server did not tell is known once everything is written.
        if (runningSize == 0 && downloaded > 0)
            downloadProgress(downloaded, downloaded);
        emit verifyProgress(percent, 100);
        noteWork(runningSize + runningSize * percent / 100);
    });
    connect(job, &ImageDownload::note, this, &CopyQueue::note);
    const auto moved = [this] { lastMoved = clock.elapsed(); };
    connect(job, &ImageDownload::progress, this, moved, Qt::DirectConnection);
    connect(job, &ImageDownload::verifying, this, moved, Qt::DirectConnection);
    // Read in the download's thread right as it finishes, and handed over by value.
    connect(job, &ImageDownload::finished, job, [this, job] {
        lastMoved = clock.elapsed();
        QMetaObject::invokeMethod(this,
                                  [this, job, outcome = job->outcome(), name = job->name(),
                                   why = job->errorString(), against = job->checkedAgainst()] {
                                      // After a shutdown the thread's end has taken the download.
                                      if (job != download)
                                          return;
                                      download = nullptr;
                                      job->deleteLater();
                                      downloadDone(outcome, name, why, against);
                                  });
    });
    emit fileStarted(copyingFile);
    const QString dir = entry.folder.under(root);
    emit startFileCopy(dir, entry.address.toString());
    QMetaObject::invokeMethod(job, [job, url = entry.address, dir, root] {
        // The folders below the device root are made as a copy makes them; the root itself
        // never is: when it is not there, the device is gone.
        if (QFileInfo(root).isDir())
            QDir().mkpath(dir);
        job->start(url, QDir::cleanPath(dir));
    });
}

void CopyQueue::downloadProgress(qint64 done, qint64 total)
{
    // A download's size is known from the server's answer, and counts in the batch from then.
    if (total >= 0 && total != runningSize) {
        batchSize += total - runningSize;
        runningSize = total;
    }
    downloaded = done;
    emit progressUpdate(total > 0 ? int(done * 100 / total) : 0, total > 0 ? 100 : -1);
    emit transferred(done, total);
    noteWork(done);
}

void CopyQueue::downloadDone(ImageDownload::Outcome outcome, const QString &name,
                             const QString &why, const QString &checkedAgainst)
{
    using Outcome = ImageDownload::Outcome;
    if (!name.isEmpty())
        copyingFile = name;
    if (outcome == Outcome::Done) {
        checked = matched = !checkedAgainst.isEmpty();
        checkedSums = sumGiven ? QString() : checkedAgainst;
        ++batchImages;
        batchBytes += downloaded;
        if (copyMatched())
            matches << copyingFile + QLatin1Char(' ') + matchText();
    }
    if (outcome == Outcome::Done || outcome == Outcome::Cancelled) {
        emit finished();
        next();
        return;
    }
    downloadError = why;
    noteFailure(outcome == Outcome::NoRoom           ? CopyError::DeviceFull
                    : outcome == Outcome::DeviceGone ? CopyError::DeviceGone
                    : outcome == Outcome::Mismatch   ? CopyError::ChecksumMismatch
                                                     : CopyError::DownloadFailed);
}

void CopyQueue::cancelCurrent()
{
    worker->cancel();
    if (download)
        download->cancelSoon();
}

void CopyQueue::cancelAll()
{
    clearBatch();
    cancelCurrent();
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
    batchFailures << CopyOutcome::listed(copyingFile, failureText(error));
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
    if (!downloadError.isEmpty())
        return downloadError;
    return CopyErrors::message(error, checkedSums);
}

QString CopyQueue::matchText() const
{
    if (!copyMatched())
        return QString();
    return checkedSums.isEmpty() ? tr("matches the checksum given")
                                 : tr("matches %1").arg(checkedSums);
}
