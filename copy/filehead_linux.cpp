// open, pread and close: QFile would also look at the file twice and seek.
#include "copy/filehead.h"

#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Non-blocking: a pipe that carries an image's name must not hold the reader. No access date
// where the owner can say so: looking at a stick's images writes nothing to it.
constexpr int headFlags = O_RDONLY | O_CLOEXEC | O_NONBLOCK;

int openHead(int dir, const char *name)
{
    int fd = ::openat(dir, name, headFlags | O_NOATIME);
    if (fd < 0 && errno == EPERM)
        fd = ::openat(dir, name, headFlags);
    return fd;
}

int readOpen(int fd, qint64 offset, char *into, int length)
{
    int got = 0;
    while (got < length) {
        const ssize_t n = ::pread(fd, into + got, size_t(length - got), offset + got);
        if (n <= 0)
            break;
        got += int(n);
    }
    return got;
}

qint64 msOf(const timespec &t)
{
    return qint64(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

} // namespace

int FileHead::read(const QString &path, qint64 offset, char *into, int length)
{
    const int fd = openHead(AT_FDCWD, QFile::encodeName(path).constData());
    if (fd < 0)
        return -1;
    const int got = readOpen(fd, offset, into, length);
    ::close(fd);
    return got;
}

FileHead::Folder::Folder(const QString &path)
    : path(path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/'))
{
    // Without a handle every file is still found by its whole path.
    const QByteArray name = QFile::encodeName(path);
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
    fd = ::open(name.constData(), flags | O_NOATIME);
    if (fd < 0 && errno == EPERM)
        fd = ::open(name.constData(), flags);
}

FileHead::Folder::~Folder()
{
    if (fd >= 0)
        ::close(fd);
}

bool FileHead::Folder::details(const QString &name, qint64 &size, qint64 &modified) const
{
    const QByteArray raw = QFile::encodeName(fd >= 0 ? name : path + name);
    struct stat st;
    if (::fstatat(fd >= 0 ? fd : AT_FDCWD, raw.constData(), &st, 0) != 0 || !S_ISREG(st.st_mode))
        return false;
    size = st.st_size;
    modified = msOf(st.st_mtim);
    return true;
}

FileHead::Folder::File FileHead::Folder::open(const QString &name) const
{
    File file;
    file.fd = openHead(fd >= 0 ? fd : AT_FDCWD,
                       QFile::encodeName(fd >= 0 ? name : path + name).constData());
    struct stat st;
    if (file.fd < 0 || ::fstat(file.fd, &st) != 0)
        return file;
    if (!S_ISREG(st.st_mode)) {
        file.state = File::State::NoFile;
        return file;
    }
    file.state = File::State::Open;
    file.size = st.st_size;
    file.modified = msOf(st.st_mtim);
    return file;
}

FileHead::Folder::File::File(File &&other) noexcept
    : state(other.state)
    , size(other.size)
    , modified(other.modified)
    , fd(other.fd)
{
    other.fd = -1;
}

FileHead::Folder::File::~File()
{
    if (fd >= 0)
        ::close(fd);
}

int FileHead::Folder::File::read(qint64 offset, char *into, int length) const
{
    return state == State::Open ? readOpen(fd, offset, into, length) : -1;
}
