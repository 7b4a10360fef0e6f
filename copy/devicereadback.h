// Reads an image's parts back from the device in a thread of its own, as the writer tells that
// they are on it, and hashes what it reads: a download is read back while its later bytes still
// arrive, and once the last byte is written only the last few chunks are left to read.
#pragma once

#include "copy/chunkhasher.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class DeviceReadBack
{
public:
    explicit DeviceReadBack(qint64 chunkSize);
    ~DeviceReadBack();
    DeviceReadBack(const DeviceReadBack &) = delete;
    DeviceReadBack &operator=(const DeviceReadBack &) = delete;

    // The part index, at path, is on the device up to end; synced: all of it, and end is its
    // length. Parts come in order, each synced before the next one's first report.
    void reach(int index, const QString &path, qint64 end, bool synced);
    // Waits until everything reached is read back, telling the percent of total meanwhile; a
    // cancel ends it early. The hash of what was read, empty when it was not total bytes, a
    // read failed, or it was cancelled. Then the files are closed and it starts anew.
    QByteArray finish(qint64 total, const std::atomic<bool> &cancel,
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
    // In the thread: reads target's part from where its read-back stands; false when it fails.
    bool read(const Target &target);

    const qint64 chunkSize;
    ChunkHasher hasher;
    std::mutex lock;
    std::condition_variable changed;
    QList<Target> targets; // the first is being read
    bool broken = false;
    bool stopping = false;
    std::atomic<bool> abandon { false };
    std::atomic<qint64> readBytes { 0 };
    // The thread's own while a target is on the list.
    QFile file;
    int fileIndex = -1;
    qint64 at = 0;
    std::thread thread;
};
