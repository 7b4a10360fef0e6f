// One batch of copies through the window's copy queue and worker, shown on a progress line,
// until it is over: every file copied, failed or cancelled by Ctrl+C.
#pragma once

#include "cli/exitstatus.h"
#include "cli/interruptwatch.h"
#include "cli/progressline.h"
#include "copy/copyqueue.h"

#include <QEventLoop>
#include <QObject>

class CopyRun : public QObject
{
    Q_OBJECT
public:
    CopyRun(const ScsiDriveDetector &detector, bool verify);

    // Copies the entries; returns once the batch is over. The device paths of the images
    // copied whole go to standard output, one a line.
    ExitStatus exec(const QList<CopyEntry> &entries);
    int copiedCount() const { return copied; }

private:
    void started(const QString &name);
    void done();
    void failed(int code);
    void stopped(CopyQueue::Stop why);
    void interrupted(int signalNumber);
    void settle(ExitStatus status);
    bool isOver() const;

    CopyQueue queue;
    ProgressLine line;
    InterruptWatch watch;
    QEventLoop loop;
    bool verify;
    ExitStatus status = ExitStatus::Done;
    QString copyingPath;
    int copied = 0;
};
