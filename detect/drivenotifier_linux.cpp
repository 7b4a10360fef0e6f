// The mount table and the kernel's device events, read on the GUI thread.
#include "detect/drivenotifier.h"

#include "detect/systemdescription.h"

#include <QFileInfo>
#include <QCoreApplication>
#include <QFileSystemWatcher>
#include <QPointer>
#include <QSocketNotifier>

#include <fcntl.h>
#include <linux/netlink.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// One watcher for the whole program: closing an inotify instance waits for the kernel, and
// the watch on a table follows the table anyway.
QFileSystemWatcher *sharedWatcher()
{
    static QPointer<QFileSystemWatcher> watcher;
    if (!watcher)
        watcher = new QFileSystemWatcher(QCoreApplication::instance());
    return watcher;
}

} // namespace

DriveNotifier::DriveNotifier(QObject *parent)
    : QObject(parent)
{
    const SystemDescription description;
    sysroot = description.root();
    tablePath = description.mountTablePath();
    readDrives(&known);

    // Writers rewrite the table in steps; reading it a moment later sees the finished table.
    settle.setSingleShot(true);
    settle.setInterval(50);
    connect(&settle, &QTimer::timeout, this, &DriveNotifier::compare);

    if (sysroot.isEmpty()) {
        watchKernelEvents();
        // The kernel flags every change of the mount table as a priority event on the open file.
        fd = ::open(QFile::encodeName(tablePath).constData(), O_RDONLY | O_CLOEXEC);
        if (fd >= 0) {
            notifier = new QSocketNotifier(fd, QSocketNotifier::Exception, this);
            connect(notifier, &QSocketNotifier::activated, this, &DriveNotifier::compare);
            return;
        }
    } else {
        watcher = sharedWatcher();
        const QString dir = QFileInfo(tablePath).path();
        // A disk leaving a described system takes its folder out of sys/block.
        const QString disks = description.root() + QStringLiteral("/sys/block");
        for (const QString &watched : { dir, disks })
            if (!watcher->directories().contains(watched))
                watcher->addPath(watched);
        const auto touched = [this, dir, disks](const QString &path) {
            if (path == tablePath || path == dir || path == disks)
                tableTouched();
        };
        connect(watcher, &QFileSystemWatcher::fileChanged, this, touched);
        connect(watcher, &QFileSystemWatcher::directoryChanged, this, touched);
        if (watcher->files().contains(tablePath) || watcher->addPath(tablePath))
            return;
    }
    // Nothing to be told by: look now and then.
    fallback.setInterval(500);
    connect(&fallback, &QTimer::timeout, this, &DriveNotifier::compare);
    fallback.start();
}

DriveNotifier::~DriveNotifier()
{
    if (fd >= 0)
        ::close(fd);
    if (eventFd >= 0)
        ::close(eventFd);
}

void DriveNotifier::watchKernelEvents()
{
    // A pulled stick's disk leaves sysfs at once, while its mount may linger until something
    // unmounts it; the kernel tells every listener of its device events.
    eventFd = ::socket(AF_NETLINK, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_KOBJECT_UEVENT);
    if (eventFd < 0)
        return;
    sockaddr_nl address {};
    address.nl_family = AF_NETLINK;
    address.nl_groups = 1; // the kernel's own events
    if (::bind(eventFd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        ::close(eventFd);
        eventFd = -1;
        return;
    }
    events = new QSocketNotifier(eventFd, QSocketNotifier::Read, this);
    connect(events, &QSocketNotifier::activated, this, &DriveNotifier::kernelEvent);
}

void DriveNotifier::kernelEvent()
{
    char buffer[4096];
    bool removal = false;
    for (ssize_t n; (n = ::recv(eventFd, buffer, sizeof buffer, 0)) > 0;)
        removal = removal || QByteArray::fromRawData(buffer, int(n)).startsWith("remove@");
    if (removal)
        settle.start();
}

void DriveNotifier::tableTouched()
{
    // A table replaced by rename is a new file that the watcher no longer follows.
    if (!watcher->files().contains(tablePath) && QFileInfo::exists(tablePath))
        watcher->addPath(tablePath);
    settle.start();
}

bool DriveNotifier::readDrives(QMap<QString, int> *drives) const
{
    const SystemDescription description(sysroot);
    QList<SystemDescription::Mount> mounts;
    if (!description.mounts(&mounts))
        return false;
    drives->clear();
    for (const auto &m : std::as_const(mounts)) {
        // A mount whose disk has gone is as good as unmounted.
        if (description.deviceNumber(description.deviceOf(m)).isEmpty())
            continue;
        ++(*drives)[driveOf(m.mountPoint) + QLatin1Char('\n') + m.number];
    }
    return true;
}

void DriveNotifier::compare()
{
    QMap<QString, int> now;
    if (!readDrives(&now))
        return; // an unreadable table says nothing about what was unmounted
    QStringList removed, added;
    for (auto it = known.cbegin(); it != known.cend(); ++it)
        for (int n = now.value(it.key()); n < it.value(); ++n)
            removed << it.key();
    for (auto it = now.cbegin(); it != now.cend(); ++it)
        for (int n = known.value(it.key()); n < it.value(); ++n)
            added << it.key();
    known = now;
    // Keys carry the volume after the drive: another volume at the same place is reported as
    // the old one's removal and the new one's arrival.
    for (const QString &key : std::as_const(removed))
        emit logicalDriveChanged(false, key.section(QLatin1Char('\n'), 0, 0));
    for (const QString &key : std::as_const(added))
        emit logicalDriveChanged(true, key.section(QLatin1Char('\n'), 0, 0));
}
