// Reports block-device volumes that are mounted or unmounted, as (added, mountpoint + "/"),
// by watching the mount table and the kernel's device events: a volume whose disk has left the
// system counts as unmounted even while its mount lingers, and another volume mounted at the
// same place counts as a removal and an arrival.
#pragma once

#include <QMap>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

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

signals:
    void logicalDriveChanged(bool added, const QString &drive);

private:
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
};
