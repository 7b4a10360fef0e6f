#include "copy/copyqueue.h"

#include "copy/copyerror.h"
#include "copy/isocopyworker.h"
#include "detect/scsidrivedetector.h"

#include <QFile>
#include <QFileInfo>
#include <QThread>

CopyQueue::CopyQueue(const ScsiDriveDetector *detector, QObject *parent)
    : QObject(parent)
    , detector(detector)
    , thread(new QThread(this))
    , worker(new isoCopyWorker)
{
    thread->start(QThread::InheritPriority);
    worker->moveToThread(thread);
    connect(this, &CopyQueue::startFileCopy, worker, &isoCopyWorker::copyFile);
    connect(worker, &isoCopyWorker::progressUpdate, this, &CopyQueue::progressUpdate);
    connect(worker, &isoCopyWorker::finished, this, &CopyQueue::finished);
    connect(worker, &isoCopyWorker::failed, this, &CopyQueue::noteFailure);
    connect(detector, &ScsiDriveDetector::refreshComplete, this, &CopyQueue::sweepLeftovers);
}

CopyQueue::~CopyQueue()
{
    // A copy still running would outlive its thread object: stop it at the next chunk (the
    // worker removes its files), and any copy not yet begun, then wait for the thread.
    worker->shutDown();
    worker->deleteLater();
    thread->quit();
    thread->wait();
}

void CopyQueue::add(const QList<CopyEntry> &entries)
{
    const bool wasIdle = queue.isEmpty();
    queue.append(entries);
    if (!wasIdle || queue.isEmpty())
        return;
    current = 0;
    // A copy of a dropped batch is still under way: its report starts this one.
    if (!copying.isEmpty())
        startDeferred = true;
    else
        startNext();
}

void CopyQueue::next()
{
    copying.clear();
    copyingFile.clear();
    sweepLeftovers();
    if (startDeferred) {
        // The report belonged to a dropped batch; the waiting one starts at its first entry.
        startDeferred = false;
        startNext();
        return;
    }
    ++current;
    if (current < queue.size())
        startNext();
    else
        queue.clear();
}

void CopyQueue::startNext()
{
    // Starting a copy nobody could report on helps nobody.
    if (closed) {
        clearBatch();
        return;
    }
    if (detector->drivePath().isEmpty()) {
        clearBatch();
        emit stopped(Stop::DeviceGone);
        return;
    }
    if (!detector->isWritable()) {
        clearBatch();
        emit stopped(Stop::NotWritable);
        return;
    }
    if (current < 0 || current >= queue.size())
        return;

    const CopyEntry entry = queue.at(current);
    copyingFile = QFileInfo(entry.sourceFile).fileName();
    copying = entry.folder.filePath(copyingFile);
    emit fileStarted(copyingFile);
    emit startFileCopy(entry.folder.under(detector->drivePath()), entry.sourceFile);
}

void CopyQueue::cancelCurrent()
{
    worker->cancel();
}

void CopyQueue::cancelAll()
{
    clearBatch();
    worker->cancel();
}

void CopyQueue::dropWaiting()
{
    clearBatch();
    current = 0;
}

void CopyQueue::close()
{
    closed = true;
}

void CopyQueue::clearBatch()
{
    queue.clear();
    startDeferred = false;
}

void CopyQueue::noteFailure(int code)
{
    if (CopyErrors::mayLeaveTemporary(code) && !copying.isEmpty())
        leftovers.insert(copying);
    emit failed(code);
}

void CopyQueue::sweepLeftovers()
{
    const QString root = detector->drivePath();
    if (root.isEmpty())
        return;
    for (auto it = leftovers.begin(); it != leftovers.end();) {
        // Only the ".temp" of a copy not running now: nothing else of that name is ours alone.
        if (*it == copying) {
            ++it;
            continue;
        }
        // A stick pulled out a moment ago may still be the known device, its mount point
        // empty: only a removal that worked settles the entry.
        it = QFile::remove(root + *it + QStringLiteral(".temp")) ? leftovers.erase(it)
                                                                  : std::next(it);
    }
}
