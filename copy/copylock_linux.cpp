// Open file description locks: unlike classic POSIX locks they belong to the open file, so a
// second open in the same process sees them too, and closing some other descriptor of the file
// does not drop them. FUSE volumes without lock support of their own get the kernel's.
#include "copy/copylock.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct flock wholeFile(short type)
{
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    return lock;
}

} // namespace

bool CopyLock::open(const QString &path, bool create)
{
    release();
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_RDWR | O_CLOEXEC | (create ? O_CREAT : 0), 0644);
    if (fd < 0)
        return false;
    handle = fd;
    return true;
}

bool CopyLock::lock(const QString &path)
{
    if (handle < 0)
        return false;
    struct flock lock = wholeFile(F_WRLCK);
    // A volume that cannot lock at all still takes copies, only unmarked.
    if (::fcntl(int(handle), F_OFD_SETLK, &lock) != 0 && (errno == EAGAIN || errno == EACCES)) {
        release();
        return false;
    }
    // A sweep removes a file only while it holds its lock: once we hold it, a file still at its
    // place is ours for good.
    struct stat opened {}, named {};
    if (::fstat(int(handle), &opened) != 0
        || ::stat(QFile::encodeName(path).constData(), &named) != 0
        || opened.st_dev != named.st_dev || opened.st_ino != named.st_ino) {
        release();
        return false;
    }
    return true;
}

bool CopyLock::claim(const QString &path)
{
    if (!open(path, false))
        return errno == ENOENT;
    return lock(path) || !QFile::exists(path);
}

void CopyLock::release()
{
    if (handle >= 0)
        ::close(int(handle));
    handle = -1;
}

bool CopyLock::isHeld(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct flock lock = wholeFile(F_WRLCK);
    const bool held = ::fcntl(fd, F_OFD_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
    ::close(fd);
    return held;
}
