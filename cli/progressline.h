// Progress of one transfer for people: on a terminal one line rewritten in place (name, bytes,
// speed, time left, in the window's words), elsewhere a plain line at every tenth, so that a
// log stays readable.
#pragma once

#include "copy/copyprogress.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QString>

class ProgressLine
{
    Q_DECLARE_TR_FUNCTIONS(ProgressLine)
public:
    ProgressLine();
    explicit ProgressLine(bool onTerminal)
        : terminal(onTerminal)
    { }

    void start(const QString &name);
    // Bytes done of total (negative: not known yet).
    void bytes(qint64 done, qint64 total);
    // Percent of the copy read back and compared.
    void verifying(int percent);
    // Ends the line with its outcome; empty clears it.
    void finish(const QString &outcome);

private:
    void show(const QString &text, int step, bool force);

    bool terminal;
    bool drawn = false;
    QString name;
    CopyProgress progress;
    QElapsedTimer clock;
    QElapsedTimer sinceDrawn;
    int lastStep = -1;
};
