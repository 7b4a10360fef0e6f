// Reads an image's parts back from the device in a thread of its own, as the writer tells that
// they are on it, and compares what it reads with the bytes written, kept until then: a
// download is read back while its later bytes still arrive, and once the last byte is written
// only the last few chunks are left to read.
#pragma once

#include <QFile>
#include <QList>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class DeviceReadBack
{
public:
    // The writer reports its chunks (of at most chunkSize) on the device with at most lag
    // chunks not yet reported.
    DeviceReadBack(qint64 chunkSize, int lag);
    ~DeviceReadBack();
    DeviceReadBack(const DeviceReadBack &) = delete;
    DeviceReadBack &operator=(const DeviceReadBack &) = delete;

    // The next bytes of the image, as they are written; kept until they are read back, waiting
    // while too many are.
    void expect(const char *data, qint64 size);
    // The part index, at path, is on the device up to end; synced: all of it, and end is its
    // length. Parts come in order, each synced before the next one's first report.
    void reach(int index, const QString &path, qint64 end, bool synced);
    // Waits until everything reached is read back, telling the percent of total meanwhile; a
    // cancel ends it early. True when total bytes were read back, each as written. Then the
    // files are closed and it starts anew.
    bool finish(qint64 total, const std::atomic<bool> &cancel,
                const std::function<void(int)> &percent);
    // Stops reading, closes the files and forgets what was read: a new read-back from nothing.
    void reset();

private:
    struct Target
    {
        int index;
        QString path;
        qint64 end;
        bool synced;
    };
    void run();
    // In the thread: reads target's part from where its read-back stands; false when it fails
    // or differs from what was written.
    bool read(const Target &target);
    // In the thread: whether the next size bytes kept are those of buffer; they are let go.
    bool matches(qint64 size);

    const qint64 capacity;
    std::unique_ptr<char[]> kept; // a ring of the bytes written and not yet read back
    std::unique_ptr<char[]> buffer; // what the thread reads into
    std::mutex lock;
    std::condition_variable changed;
    QList<Target> targets; // the first is being read
    qint64 keptIn = 0; // bytes handed to expect(), all told
    qint64 readBytes = 0; // bytes read back and let go, all told
    bool broken = false;
    bool stopping = false;
    std::atomic<bool> abandon { false };
    // The thread's own while a target is on the list.
    QFile file;
    int fileIndex = -1;
    qint64 at = 0;
    std::thread thread;
};
