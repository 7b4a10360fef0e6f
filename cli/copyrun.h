// One batch of copies through the window's copy queue and worker, shown on a progress line,
// until it is over: every file copied, failed or cancelled by Ctrl+C. Several run side by side,
// one for each stick, when their lines and messages carry the stick's name.
#pragma once

#include "cli/exitstatus.h"
#include "cli/progressline.h"
#include "copy/copyqueue.h"

#include <QEventLoop>
#include <QObject>

class CopyRun : public QObject
{
    Q_OBJECT
public:
    CopyRun(const ScsiDriveDetector &detector, bool verify);
    // A run beside others: its progress lines and messages begin with tag, its lines are plain
    // ones (two lines cannot both be rewritten in place), and the images copied are printed
    // with the stick's mount point. Ctrl+C is handed in by interrupt().
    CopyRun(const ScsiDriveDetector &detector, bool verify, const QString &tag);

    // Copies the entries; returns once the batch is over. The device paths of the images
    // copied whole go to standard output, one a line.
    ExitStatus exec(const QList<CopyEntry> &entries);
    // Starts the copies; over() tells when the batch is over.
    void start(const QList<CopyEntry> &entries);
    void interrupt(int signalNumber);
    // Whether the paths of the images copied go to standard output (they do unless told not to).
    void setPrintPaths(bool print) { printPaths = print; }
    bool isOver() const;
    ExitStatus result() const { return status; }
    int copiedCount() const { return copied; }

signals:
    void over();

private:
    void started(const QString &name);
    void done();
    void failed(CopyError error);
    void stopped(CopyQueue::Stop why);
    void settle(ExitStatus status);
    QString tagged(const QString &text) const;

    const ScsiDriveDetector &detector;
    CopyQueue queue;
    ProgressLine line;
    QEventLoop loop;
    QString tag;
    bool verify;
    int interruptedBy = 0;
    ExitStatus status = ExitStatus::Done;
    QString copyingPath;
    int copied = 0;
    bool printPaths = true;
};
