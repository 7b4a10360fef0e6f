// Durability, hints and chunk transfer on Linux: everything goes through the files' descriptors,
// so the kernel copy and the buffered fallback share one file position.
#include "copy/filesync.h"

#include <QFile>
#include <QString>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace FileSync {

bool syncFile(QFile& file)
{
    return ::fsync(file.handle()) == 0;
}

void syncDirectory(const QString& dir)
{
    const int fd = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

void adviseSequential(QFile& file)
{
    ::posix_fadvise(file.handle(), 0, 0, POSIX_FADV_SEQUENTIAL);
}

void startWriteback(QFile& file, qint64 offset, qint64 length)
{
    ::sync_file_range(file.handle(), offset, length, SYNC_FILE_RANGE_WRITE);
}

namespace {

// Out of room is final; a second try through the buffer would only fail the same way.
bool outOfSpace(int error)
{
    return error == ENOSPC || error == EDQUOT || error == EFBIG;
}

// Returns the bytes moved in the kernel before it stopped; spaceGone is set when it stopped
// because the destination is full.
qint64 copyInKernel(int in, int out, qint64 size, bool& inKernel, bool& spaceGone)
{
    qint64 moved = 0;
    while (moved < size) {
        const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, size_t(size - moved), 0);
        if (n > 0) {
            moved += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && outOfSpace(errno)) {
            spaceGone = true;
            return moved;
        }
        // Cross-device, unsupported file system, or an odd error: the buffer decides. A zero
        // return may be an early end of the source or a file the kernel cannot copy from; a
        // plain read tells the two apart.
        if (n < 0)
            inKernel = false;
        return moved;
    }
    return moved;
}

} // namespace

Transfer transferChunk(QFile& source, QFile& dest, char* buffer, qint64 size, bool& inKernel)
{
    const int in = source.handle();
    const int out = dest.handle();
    qint64 done = 0;
    if (inKernel) {
        bool spaceGone = false;
        done = copyInKernel(in, out, size, inKernel, spaceGone);
        if (spaceGone)
            return Transfer::WriteFailed;
        if (done == size)
            return Transfer::Done;
    }

    // Read the rest of the chunk whole, then write it whole.
    const qint64 want = size - done;
    qint64 got = 0;
    while (got < want) {
        const ssize_t n = ::read(in, buffer + got, size_t(want - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return Transfer::SourceShort;
        got += n;
    }
    qint64 written = 0;
    while (written < want) {
        const ssize_t n = ::write(out, buffer + written, size_t(want - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return Transfer::WriteFailed;
        written += n;
    }
    return Transfer::Done;
}

} // namespace FileSync
