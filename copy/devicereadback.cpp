// The read-back's thread takes the reports in order. Each range is dropped from the page cache
// right before it is read; a read behind the writing stops short of the page that holds the
// written end, whose rest may still be on its way to the device. Comparing with the bytes kept
// costs a copy and a comparison where hashing the read-back again cost a second SHA-256 pass;
// the hash of what was written stands for both. Reading past the page cache (O_DIRECT)
// measured slower: on ext4 each such read holds the file's lock against the writes.
#include "copy/devicereadback.h"

#include "copy/filesync.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace {

// Only whole pages are dropped; this is a multiple of every page size.
constexpr qint64 pageAlign = 65536;
// Read in pieces of this, so that little memory waits beside the ring.
constexpr qint64 piece = 2 << 20;

} // namespace

DeviceReadBack::DeviceReadBack(qint64 chunkSize, int lag)
    // The chunks not yet reported, the one being written, and what a report leaves short of a
    // page; one chunk more, so that the writer waits for the reading only when it lags behind.
    : capacity((lag + 2) * chunkSize + pageAlign)
    , kept(new char[size_t(capacity)])
    , buffer(new char[size_t(piece)])
    , thread([this] { run(); })
{ }

DeviceReadBack::~DeviceReadBack()
{
    {
        std::lock_guard<std::mutex> guard(lock);
        stopping = true;
        abandon = true;
    }
    changed.notify_all();
    thread.join();
}

void DeviceReadBack::expect(const char *data, qint64 size)
{
    while (size > 0) {
        std::unique_lock<std::mutex> guard(lock);
        changed.wait(guard, [this] { return keptIn - readBytes < capacity || broken; });
        // A read-back that failed compares nothing more; it fails as a whole.
        const qint64 room = broken ? size : capacity - (keptIn - readBytes);
        const qint64 at = keptIn % capacity;
        const qint64 n = std::min({ size, room, capacity - at });
        if (!broken)
            memcpy(kept.get() + at, data, size_t(n));
        keptIn += n;
        if (broken)
            readBytes = keptIn;
        data += n;
        size -= n;
    }
}

void DeviceReadBack::reach(int index, const QString &path, qint64 end, bool synced)
{
    {
        std::lock_guard<std::mutex> guard(lock);
        targets.append({ index, path, end, synced });
    }
    changed.notify_all();
}

void DeviceReadBack::run()
{
    std::unique_lock<std::mutex> guard(lock);
    for (;;) {
        changed.wait(guard, [this] { return stopping || !targets.isEmpty(); });
        if (stopping)
            break;
        const Target target = targets.first();
        const bool skip = broken;
        guard.unlock();
        const bool ok = skip || read(target);
        guard.lock();
        if (!ok && !broken) {
            broken = true;
            // The writer waits for no room any more.
            readBytes = keptIn;
        }
        targets.removeFirst();
        changed.notify_all();
    }
    guard.unlock();
    file.close();
}

bool DeviceReadBack::read(const Target &target)
{
    if (target.index != fileIndex) {
        file.close();
        file.setFileName(target.path);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
            return false;
        FileSync::adviseSequential(file);
        fileIndex = target.index;
        at = 0;
    }
    const qint64 end = target.synced ? target.end : target.end - target.end % pageAlign;
    if (end > at) {
        // What the device returns, not what the page cache still holds.
        if (target.synced)
            FileSync::dropCache(file);
        else
            FileSync::dropCache(file, at - at % pageAlign, end - at + at % pageAlign);
    }
    while (at < end) {
        if (abandon)
            return true;
        const qint64 want = qMin(piece, end - at);
        qint64 got = 0;
        while (got < want) {
            const qint64 n = file.read(buffer.get() + got, want - got);
            if (n <= 0)
                return false;
            got += n;
        }
        if (!matches(got))
            return false;
        at += got;
    }
    // Nothing past what was written.
    return !target.synced || file.size() == target.end;
}

bool DeviceReadBack::matches(qint64 size)
{
    qint64 from;
    {
        std::lock_guard<std::mutex> guard(lock);
        // Reported bytes were handed over before the report.
        if (keptIn - readBytes < size)
            return false;
        from = readBytes;
    }
    // The ring's bytes from readBytes on stay until readBytes moves past them.
    const qint64 first = qMin(size, capacity - from % capacity);
    const bool same = memcmp(kept.get() + from % capacity, buffer.get(), size_t(first)) == 0
        && memcmp(kept.get(), buffer.get() + first, size_t(size - first)) == 0;
    if (same) {
        {
            std::lock_guard<std::mutex> guard(lock);
            readBytes += size;
        }
        changed.notify_all();
    }
    return same;
}

bool DeviceReadBack::finish(qint64 total, const std::atomic<bool> &cancel,
                            const std::function<void(int)> &percent)
{
    std::unique_lock<std::mutex> guard(lock);
    while (!targets.isEmpty()) {
        if (cancel)
            abandon = true;
        const qint64 done = readBytes;
        guard.unlock();
        percent(int(done * 100 / qMax<qint64>(total, 1)));
        guard.lock();
        changed.wait_for(guard, std::chrono::milliseconds(100),
                         [this] { return targets.isEmpty(); });
    }
    const bool whole = !broken && !abandon && readBytes == total && keptIn == total;
    guard.unlock();
    percent(100);
    reset();
    return whole;
}

void DeviceReadBack::reset()
{
    std::unique_lock<std::mutex> guard(lock);
    abandon = true;
    // The one being read ends at its next piece.
    if (!targets.isEmpty())
        targets.erase(targets.begin() + 1, targets.end());
    changed.wait(guard, [this] { return targets.isEmpty(); });
    // The thread waits for a report and touches nothing of its own meanwhile.
    file.close();
    fileIndex = -1;
    at = 0;
    broken = false;
    keptIn = 0;
    readBytes = 0;
    abandon = false;
}
