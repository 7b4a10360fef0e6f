// Hashes a stream of chunks in a thread of its own, so that the copy and the read-back go on
// reading and writing the next chunk meanwhile. It lends the buffers the chunks are read into,
// a few in turn: a buffer comes back once its chunk is hashed.
#pragma once

#include "copy/shadigest.h"

#include <QByteArray>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

class ChunkHasher
{
public:
    explicit ChunkHasher(qint64 chunkSize, int buffers = 3);
    ~ChunkHasher();
    ChunkHasher(const ChunkHasher &) = delete;
    ChunkHasher &operator=(const ChunkHasher &) = delete;

    // The buffer to fill next (chunkSize bytes), waiting while every buffer holds a chunk not
    // yet hashed. The same buffer is returned until add() hands it over.
    char *buffer();
    // Hands the first size bytes of the buffer from buffer() to the hashing thread.
    void add(qint64 size);
    // Waits until every chunk handed over is hashed; their digest. The hash then starts over.
    QByteArray result();
    // Whether the chunks from now on are also hashed with SHA-512; set while nothing is handed
    // over and not yet hashed (after result()).
    void alsoSha512(bool on) { with512 = on; }
    // The SHA-512 of the chunks up to the last result(); it then starts over.
    QByteArray resultSha512() { return sha512.result(); }

private:
    void run();

    const qint64 chunkSize;
    const int count;
    std::unique_ptr<char[]> memory;
    std::unique_ptr<qint64[]> sizes;
    Sha256 sha;
    Sha512 sha512;
    bool with512 = false;
    std::mutex lock;
    std::condition_variable changed;
    // Chunks handed over and chunks hashed so far; the ones between are waiting or in hand.
    quint64 added = 0;
    quint64 hashed = 0;
    bool stopping = false;
    std::thread thread;
};
