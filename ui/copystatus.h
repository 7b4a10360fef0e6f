// The line under the copy bars: the file being copied to the stick shown with its bytes, speed
// and time left, the check of the copy once it is written, and, for a while after a batch, what
// the batch did.
#pragma once

#include "copy/copyprogress.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>

class StickCopies;
class QLabel;

class CopyStatus : public QObject
{
    Q_OBJECT
public:
    CopyStatus(QLabel *line, StickCopies *queue);

private:
    void started(const QString &name);
    // Another stick shown: its copy is told from its next report on.
    void restart();
    void transferred(qint64 done, qint64 total);
    void verifying(int value);
    void say(const QString &text);
    // The line about the file being copied: withName puts a name in; the name gives way first.
    void sayAboutFile(const std::function<QString(const QString &)> &withName);

    QLabel *line;
    const StickCopies *queue;
    bool readBack = false; // the file's copy is read back, as the queue was set at its start
    QString name;
    CopyProgress progress;
    QElapsedTimer clock;
    QTimer fade; // a finished batch's summary stays a while
    bool kept = false; // a summary naming failures stays until the next batch
};
