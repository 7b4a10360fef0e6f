// Durability, hints and chunk transfer on Linux: everything goes through the files' descriptors,
// so the kernel copy and the buffered fallback share one file position.
#include "copy/filesync.h"

#include <QFile>
#include <QString>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
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

bool settle(const QString& dir, const QStringList&)
{
    return syncVolume(dir);
}

bool syncVolume(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::syncfs(fd) == 0;
    ::close(fd);
    return synced;
}

void adviseSequential(QFile& file)
{
    ::posix_fadvise(file.handle(), 0, 0, POSIX_FADV_SEQUENTIAL);
}

void readAhead(QFile& file, qint64 offset, qint64 length)
{
    ::posix_fadvise(file.handle(), offset, length, POSIX_FADV_WILLNEED);
}

void startWriteback(QFile& file, qint64 offset, qint64 length)
{
    ::sync_file_range(file.handle(), offset, length, SYNC_FILE_RANGE_WRITE);
}

void waitWriteback(QFile& file, qint64 offset, qint64 length)
{
    ::sync_file_range(file.handle(), offset, length,
                      SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER);
}

void dropCache(QFile& file)
{
    ::posix_fadvise(file.handle(), 0, 0, POSIX_FADV_DONTNEED);
}

void dropCache(QFile& file, qint64 offset, qint64 length)
{
    ::posix_fadvise(file.handle(), offset, length, POSIX_FADV_DONTNEED);
}

QByteArray stamp(const QString& path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    const qint64 fields[] = { qint64(info.st_dev), qint64(info.st_ino), qint64(info.st_size),
                              qint64(info.st_mtim.tv_sec), qint64(info.st_mtim.tv_nsec) };
    return QByteArray(reinterpret_cast<const char*>(fields), sizeof fields);
}

bool replace(const QString& from, const QString& to)
{
    return ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

namespace {

// Out of room is final; a second try through the buffer would only fail the same way.
bool outOfSpace(int error)
{
    return error == ENOSPC || error == EDQUOT || error == EFBIG;
}

Transfer refused(int error)
{
    return error == EFBIG ? Transfer::TooLarge : Transfer::NoRoom;
}

// Returns the bytes moved in the kernel before it stopped; spaceGone is set to the error when
// it stopped because the destination takes no more.
qint64 copyInKernel(int in, int out, qint64 size, bool& inKernel, int& spaceGone)
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
            spaceGone = errno;
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
        int spaceGone = 0;
        done = copyInKernel(in, out, size, inKernel, spaceGone);
        if (spaceGone)
            return refused(spaceGone);
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
        if (n < 0 && outOfSpace(errno))
            return refused(errno);
        if (n <= 0)
            return Transfer::WriteFailed;
        written += n;
    }
    return Transfer::Done;
}

} // namespace FileSync
