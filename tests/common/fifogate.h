// A named pipe posing as an image file: a copy that opens it for reading waits until the test
// opens the gate, which makes "a copy is running" a state a test can hold and observe.
#pragma once

#include <QString>

class FifoGate
{
public:
    // Creates the pipe at path (its size reads as 0 bytes, so a copy of it reads nothing).
    explicit FifoGate(const QString &path);
    // Closes the gate's end and removes the pipe. Open every gate before destroying the
    // window whose copies might still reach it.
    ~FifoGate();
    FifoGate(const FifoGate &) = delete;
    FifoGate &operator=(const FifoGate &) = delete;

    QString path() const { return where; }
    // Lets the waiting reader and every later one through (the gate stays open).
    bool open();

    // True while some thread of this process waits in the open of a pipe (Linux: the
    // thread's wait channel), that is, while a copy is held at a gate.
    static bool readerWaiting();
    // Runs the event loop until readerWaiting() or the timeout passes.
    static bool waitForReader(int timeoutMs = 5000);

private:
    QString where;
    int fd = -1;
};
