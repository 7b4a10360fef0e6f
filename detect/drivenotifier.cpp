#include "detect/drivenotifier.h"

#include "detect/systemdescription.h"

#include <QFileInfo>
#include <QCoreApplication>
#include <QFileSystemWatcher>
#include <QPointer>
#include <QSocketNotifier>

#include <fcntl.h>
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
        if (!watcher->directories().contains(dir))
            watcher->addPath(dir);
        const auto touched = [this, dir](const QString &path) {
            if (path == tablePath || path == dir)
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
}

QString DriveNotifier::driveOf(const QString &mountPoint)
{
    return mountPoint.endsWith(QLatin1Char('/')) ? mountPoint : mountPoint + QLatin1Char('/');
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
    QList<SystemDescription::Mount> mounts;
    if (!SystemDescription(sysroot).mounts(&mounts))
        return false;
    drives->clear();
    for (const auto &m : std::as_const(mounts))
        ++(*drives)[driveOf(m.mountPoint)];
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
    for (const QString &drive : std::as_const(removed))
        emit logicalDriveChanged(false, drive);
    for (const QString &drive : std::as_const(added))
        emit logicalDriveChanged(true, drive);
}
