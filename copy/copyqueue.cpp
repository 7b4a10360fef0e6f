#include "copy/copyqueue.h"

#include "copy/copycommit.h"
#include "copy/copyerror.h"
#include "copy/isocopyworker.h"
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
    connect(worker, &isoCopyWorker::transferred, this, &CopyQueue::transferred);
    connect(worker, &isoCopyWorker::verifyProgress, this, &CopyQueue::verifyProgress);
    connect(worker, &isoCopyWorker::copied, this, [this](qint64 bytes) {
        ++batchImages;
        batchBytes += bytes;
        if (copyMatched())
            matches << copyingFile + QLatin1Char(' ') + matchText();
    });
    connect(worker, &isoCopyWorker::finished, this, &CopyQueue::finished);
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
    if (wasIdle && !queue.isEmpty()) {
        current = 0;
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

void CopyQueue::next()
{
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

void CopyQueue::noteFailure(int code)
{
    if (CopyErrors::mayLeaveTemporary(code) && !copying.isEmpty() && !copyingBase.isEmpty())
        leftovers.insert(copying + copyingBase);
    // A write that failed because the device went away is told as that, and ends the batch.
    if (code == int(CopyError::DeviceGone)
        || (code == int(CopyError::WriteDestination) && !detector->isPresent())) {
        code = int(CopyError::DeviceGone);
        clearBatch();
    }
    batchFailures << QStringLiteral("%1 (%2)").arg(copyingFile, failureText(code));
    emit failed(code);
}

void CopyQueue::sweepLeftovers()
{
    // A stick pulled out a moment ago may still be the known device, its mount point an empty
    // folder: only the device's own volume settles what was left on it.
    if (leftovers.isEmpty() || !detector->isPresent())
        return;
    const QString root = detector->drivePath();
    for (auto it = leftovers.begin(); it != leftovers.end();) {
        // Only the failed copy's own files: another copy's, running or not, are no business of
        // this one.
        const QString folder = it->section(QLatin1Char('/'), 0, -2);
        const QString base = it->section(QLatin1Char('/'), -1);
        const QString dir = QDir::cleanPath(root + folder);
        if (!QFileInfo(dir).isDir() || CopyCommit::isBusy(dir, base)) {
            ++it;
            continue;
        }
        // A copy whose journal was written is seen through; parts without one go.
        const CopyCommit::Leftovers found = CopyCommit::find(dir);
        bool tidy = true;
        if (found.journals.contains(base))
            tidy = CopyCommit::settle(dir, base);
        else
            CopyCommit::discard(dir, base);
        it = tidy ? leftovers.erase(it) : std::next(it);
    }
}

QString CopyQueue::failureText(int code) const
{
    return CopyErrors::message(code, checkedSums);
}

QString CopyQueue::matchText() const
{
    if (!copyMatched())
        return QString();
    return checkedSums.isEmpty() ? tr("matches the checksum given")
                                 : tr("matches %1").arg(checkedSums);
}
