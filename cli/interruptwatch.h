// Ctrl+C and stop requests (SIGINT, SIGTERM) turned into a signal of the event loop, so that a
// running copy is cancelled through the queue instead of the process dying in the middle.
// A second Ctrl+C ends the process at once, for a copy whose source stopped answering.
#pragma once

#include <QObject>

class QSocketNotifier;

class InterruptWatch : public QObject
{
    Q_OBJECT
public:
    explicit InterruptWatch(QObject *parent = nullptr);
    // Puts the handling that was there before back.
    ~InterruptWatch() override;

    // The signal that came (SIGINT ...), 0 while none did.
    int received() const { return caught; }

signals:
    void interrupted(int signalNumber);

private:
    void readPipe();

    QSocketNotifier *notifier = nullptr;
    int caught = 0;
};
