#include "common/fifogate.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

FifoGate::FifoGate(const QString &path)
    : where(path)
{
    ::mkfifo(QFile::encodeName(path).constData(), 0600);
}

FifoGate::~FifoGate()
{
    if (fd >= 0)
        ::close(fd);
    ::unlink(QFile::encodeName(where).constData());
}

bool FifoGate::open()
{
    // Opened for reading and writing, a pipe neither blocks nor needs a partner; while this
    // end stays open, readers get through at once.
    if (fd < 0)
        fd = ::open(QFile::encodeName(where).constData(), O_RDWR | O_NONBLOCK);
    return fd >= 0;
}

bool FifoGate::waitForReader(int timeoutMs)
{
    // Linux names what a thread waits in: its wait channel.
    return QTest::qWaitFor([] {
        const QDir tasks(QStringLiteral("/proc/self/task"));
        for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            QFile wchan(QStringLiteral("/proc/self/task/%1/wchan").arg(task));
            if (wchan.open(QIODevice::ReadOnly) && wchan.readAll().trimmed() == "wait_for_partner")
                return true;
        }
        return false;
    }, timeoutMs);
}
