// A named pipe posing as an image file: a copy that opens it for reading waits until the test
// opens the gate, which makes "a copy is running" a state a test can hold and observe.
#pragma once

#include <QString>

class FifoGate
{
public:
    // The pipe reads as 0 bytes. Open every gate before destroying what might still copy from it.
    explicit FifoGate(const QString &path);
    ~FifoGate();
    FifoGate(const FifoGate &) = delete;
    FifoGate &operator=(const FifoGate &) = delete;

    // Lets the waiting reader and every later one through (the gate stays open).
    bool open();
    // Runs the event loop until a thread of this process waits in the open of a pipe (held).
    static bool waitForReader(int timeoutMs = 5000);

private:
    QString where;
    int fd = -1;
};
