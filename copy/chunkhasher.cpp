// The hashing thread and the ring of buffers it shares with the copy: a buffer is the copy's
// until it is handed over, then the thread's until it is hashed.
#include "copy/chunkhasher.h"

ChunkHasher::ChunkHasher(qint64 chunkSize, int buffers)
    : chunkSize(chunkSize)
    , count(buffers)
    , memory(new char[size_t(chunkSize) * size_t(buffers)])
    , sizes(new qint64[size_t(buffers)])
    , thread([this] { run(); })
{ }

ChunkHasher::~ChunkHasher()
{
    {
        std::lock_guard<std::mutex> guard(lock);
        stopping = true;
    }
    changed.notify_all();
    thread.join();
}

char *ChunkHasher::buffer()
{
    std::unique_lock<std::mutex> guard(lock);
    changed.wait(guard, [this] { return added - hashed < quint64(count); });
    return memory.get() + (added % count) * chunkSize;
}

void ChunkHasher::add(qint64 size)
{
    {
        std::unique_lock<std::mutex> guard(lock);
        changed.wait(guard, [this] { return added - hashed < quint64(count); });
        sizes[added % count] = size;
        ++added;
    }
    changed.notify_all();
}

QByteArray ChunkHasher::result()
{
    std::unique_lock<std::mutex> guard(lock);
    changed.wait(guard, [this] { return hashed == added; });
    // The thread is idle and waits for the lock: the hash is this thread's alone.
    return sha.result();
}

void ChunkHasher::run()
{
    std::unique_lock<std::mutex> guard(lock);
    for (;;) {
        changed.wait(guard, [this] { return stopping || hashed < added; });
        if (stopping)
            return;
        const int at = int(hashed % count);
        guard.unlock();
        // The buffer is not lent out again until hashed moves past it.
        sha.addData(memory.get() + at * chunkSize, sizes[at]);
        if (with512)
            sha512.addData(memory.get() + at * chunkSize, sizes[at]);
        guard.lock();
        ++hashed;
        changed.notify_all();
    }
}
