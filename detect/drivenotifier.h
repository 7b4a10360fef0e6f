// Reports volumes that arrive or leave, as (added, device root). On Linux the device root is
// mountpoint + "/", from the mount table and the kernel's device events: a volume whose disk has
// left the system counts as unmounted even while its mount lingers, and another volume mounted at
// the same place counts as a removal and an arrival. On Windows it is "E:/", from the system's
// WM_DEVICECHANGE broadcasts for volumes.
#pragma once

#include <QMap>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <memory>

class QFileSystemWatcher;
class QSocketNotifier;

class DriveNotifier : public QObject
{
    Q_OBJECT
public:
    explicit DriveNotifier(QObject *parent = nullptr);
    ~DriveNotifier() override;

    // The form in which a volume is reported, the same as the detector's device root.
    static QString driveOf(const QString &mountPoint);
    // The drives of a volume broadcast's unit mask, bit 0 being A: ("A:/", "E:/" ...).
    static QStringList drivesOfUnitMask(quint32 unitMask);

signals:
    void logicalDriveChanged(bool added, const QString &drive);

private:
#ifdef Q_OS_WIN
    // The hidden window that hears the broadcasts and the filter that reads them.
    struct Native;
    std::unique_ptr<Native> native;
#else
    void tableTouched();
    void compare();
    void watchKernelEvents();
    void kernelEvent();
    bool readDrives(QMap<QString, int> *drives) const;

    QString tablePath;
    QString sysroot;
    QMap<QString, int> known; // drive and volume -> number of mounts
    int fd = -1;
    QSocketNotifier *notifier = nullptr;
    int eventFd = -1; // the kernel's device events
    QSocketNotifier *events = nullptr;
    QPointer<QFileSystemWatcher> watcher;
    QTimer settle;
    QTimer fallback;
#endif
};
