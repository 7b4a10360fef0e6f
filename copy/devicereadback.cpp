// The read-back's thread takes the reports in order. Each range is dropped from the page cache
// right before it is read; a read behind the writing stops short of the page that holds the
// written end, whose rest may still be on its way to the device. Reading past the page cache
// (O_DIRECT) measured slower here: on ext4 each such read holds the file's lock against the
// writes.
#include "copy/devicereadback.h"

#include "copy/filesync.h"

#include <chrono>

namespace {

// Only whole pages are dropped; this is a multiple of every page size.
constexpr qint64 pageAlign = 65536;

} // namespace

DeviceReadBack::DeviceReadBack(qint64 chunkSize)
    : chunkSize(chunkSize)
    , hasher(chunkSize, 2)
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
        broken = broken || !ok;
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
        // Read into the next free buffer while the hashing thread takes the one before.
        char *to = hasher.buffer();
        const qint64 want = qMin(chunkSize, end - at);
        qint64 got = 0;
        while (got < want) {
            const qint64 n = file.read(to + got, want - got);
            if (n <= 0)
                return false;
            got += n;
        }
        hasher.add(got);
        at += got;
        readBytes += got;
    }
    // Nothing past what was written.
    return !target.synced || file.size() == target.end;
}

QByteArray DeviceReadBack::finish(qint64 total, const std::atomic<bool> &cancel,
                                  const std::function<void(int)> &percent)
{
    std::unique_lock<std::mutex> guard(lock);
    while (!targets.isEmpty()) {
        if (cancel)
            abandon = true;
        guard.unlock();
        percent(int(readBytes * 100 / qMax<qint64>(total, 1)));
        guard.lock();
        changed.wait_for(guard, std::chrono::milliseconds(100),
                         [this] { return targets.isEmpty(); });
    }
    const bool whole = !broken && !abandon && readBytes == total;
    guard.unlock();
    percent(100);
    const QByteArray hash = hasher.result();
    reset();
    return whole ? hash : QByteArray();
}

void DeviceReadBack::reset()
{
    {
        std::unique_lock<std::mutex> guard(lock);
        abandon = true;
        // The one being read ends at its next chunk.
        if (!targets.isEmpty())
            targets.erase(targets.begin() + 1, targets.end());
        changed.wait(guard, [this] { return targets.isEmpty(); });
        // The thread waits for a report and touches nothing of its own meanwhile.
        file.close();
        fileIndex = -1;
        at = 0;
        broken = false;
        readBytes = 0;
        abandon = false;
    }
    hasher.result();
}
