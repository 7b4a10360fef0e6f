// The queue moves on by itself after each report; the batch is over once it is idle.
#include "cli/copyrun.h"

#include "cli/clioutput.h"
#include "cli/interruptwatch.h"
#include "copy/copyerror.h"
#include "copy/copyoutcome.h"
#include "copy/copyprogress.h"
#include "detect/scsidrivedetector.h"

CopyRun::CopyRun(const ScsiDriveDetector &detector, bool verify)
    : CopyRun(detector, verify, QString())
{ }

CopyRun::CopyRun(const ScsiDriveDetector &detector, bool verify, const QString &tag)
    : detector(detector)
    , queue(&detector)
    , line(tag.isEmpty() ? ProgressLine() : ProgressLine(false))
    , tag(tag)
    , verify(verify)
{
    queue.setVerify(verify);
    connect(&queue, &CopyQueue::fileStarted, this, &CopyRun::started);
    connect(&queue, &CopyQueue::transferred, this,
            [this](qint64 done, qint64 total) { line.bytes(done, total); });
    connect(&queue, &CopyQueue::verifyProgress, this,
            [this](int value, int total) { line.verifying(total > 0 ? value * 100 / total : 0); });
    connect(&queue, &CopyQueue::batchCopied, this,
            [this](int images, int total, qint64 bytes, qint64 ms, const QStringList &failures) {
                CliOutput::note(tagged(CopyProgress::summary(images, total, bytes, ms, failures)
                                       + QLatin1Char('.')));
            });
    connect(&queue, &CopyQueue::finished, this, &CopyRun::done);
    connect(&queue, &CopyQueue::failed, this, &CopyRun::failed);
    connect(&queue, &CopyQueue::stopped, this, &CopyRun::stopped);
    connect(&queue, &CopyQueue::changed, this, [this] {
        if (isOver())
            emit over();
    });
}

ExitStatus CopyRun::exec(const QList<CopyEntry> &entries)
{
    InterruptWatch watch;
    connect(&watch, &InterruptWatch::interrupted, this, &CopyRun::interrupt);
    connect(this, &CopyRun::over, &loop, &QEventLoop::quit);
    start(entries);
    // The batch may be over before the loop runs: a stick gone before the first file.
    if (!isOver())
        loop.exec();
    return status;
}

void CopyRun::start(const QList<CopyEntry> &entries)
{
    queue.add(entries);
}

QString CopyRun::tagged(const QString &text) const
{
    return tag.isEmpty() ? text : tag + QStringLiteral(": ") + text;
}

bool CopyRun::isOver() const
{
    return queue.isIdle();
}

void CopyRun::settle(ExitStatus next)
{
    // The first trouble is what the batch is remembered by; Ctrl+C overrides it.
    if (status == ExitStatus::Done)
        status = next;
}

void CopyRun::started(const QString &name)
{
    copyingPath = queue.pendingPaths().value(0);
    line.start(tagged(name));
}

void CopyRun::done()
{
    const QString name = queue.copyingName();
    if (interruptedBy != 0) {
        line.finish(tagged(CopyOutcome::stopped(name)));
    } else {
        ++copied;
        line.finish(tagged(CopyOutcome::copied(name, verify, queue.matchText())));
        // Beside other sticks a path on the stick would not say which one holds it.
        if (printPaths)
            CliOutput::data(tag.isEmpty() ? copyingPath
                                          : detector.discwand().root().chopped(1) + copyingPath);
    }
}

void CopyRun::failed(CopyError error)
{
    line.finish(QString());
    CliOutput::error(
        tagged(CopyOutcome::failed(queue.copyingName(), error, queue.copySums())));
    switch (error) {
    case CopyError::DeviceGone:
        settle(ExitStatus::NoDiscwand);
        break;
    case CopyError::DeviceFull:
        settle(ExitStatus::NoRoom);
        break;
    default:
        settle(ExitStatus::Failure);
        break;
    }
}

void CopyRun::stopped(CopyQueue::Stop why)
{
    CliOutput::error(tagged(CopyOutcome::batchStopped(why)));
    settle(why == CopyQueue::Stop::DeviceGone ? ExitStatus::NoDiscwand : ExitStatus::ReadOnly);
}

void CopyRun::interrupt(int signalNumber)
{
    interruptedBy = signalNumber;
    status = ExitStatus(128 + signalNumber);
    line.finish(QString());
    if (tag.isEmpty())
        CliOutput::note(tr("Stopping the copy (press Ctrl+C again to quit at once)..."));
    queue.cancelAll();
    if (isOver())
        emit over();
}
