// open, pread and close: QFile would also look at the file twice and seek.
#include "copy/filehead.h"

#include <QFile>

#include <fcntl.h>
#include <unistd.h>

QByteArray FileHead::read(const QString &path, qint64 offset, int length)
{
    // Non-blocking: a pipe that carries an image's name must not hold the reader.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return {};
    QByteArray data(length, Qt::Uninitialized);
    qint64 got = 0;
    while (got < length) {
        const ssize_t n = ::pread(fd, data.data() + got, size_t(length - got), offset + got);
        if (n <= 0)
            break;
        got += n;
    }
    ::close(fd);
    data.truncate(int(got));
    return data;
}
