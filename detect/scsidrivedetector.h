// Finds the discwands among the computer's disks (each one a Discwand), keeps one of them as the
// current device root, follows drive notifications and probes whether its volume accepts
// writes.
#pragma once

#include "detect/discwand.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class DriveNotifier;
struct IWbemLocator;
struct IWbemServices;

class ScsiDriveDetector : public QObject
{
    Q_OBJECT
public:
    ScsiDriveDetector(const QString &vendorName, const QString &productName, QObject *parent);
    ~ScsiDriveDetector() override;

    QString drivePath() const;
    // The stick the last detection pass found; null while there is none.
    Discwand discwand() const;
    // Every stick the last pass found, in the order of their disks.
    QList<Discwand> sticks() const;
    // Which of several sticks a pass takes: one called so (serial, mount point or label); the
    // first when empty. With orFirst, the first also when none is called so (the window's
    // choice, which outlives the stick chosen).
    void setWanted(const QString &stick, bool orFirst = false);
    bool isWritable() const;
    // The volume wants a check of its file system; on Linux, it is mounted read-only though the
    // disk is writable, as the kernel does after finding errors.
    bool isVolumeDirty() const;
    // The device root still leads to the volume found by the last detection pass: another disk
    // mounted at the same place since, or none at all, is not the device. Asked before writing.
    bool isPresent() const;
    // One property of the device's volume as text (VolumeName, FileSystem ...), "" when there
    // is no device or no such value.
    QString volumeProperty(const QString &property) const;
    // The same of the volume mounted at root.
    QString volumePropertyAt(const QString &root, const QString &property) const;

    // One WQL query, one property of every row as text (numeric: as an unsigned 16-bit number).
    // Sets *failed when the query cannot be run and never clears it.
    QStringList queryProperty(const QString &wql, const QString &property, bool *failed,
                              bool numeric) const;

    // How a failed connection is told before the process ends. Without a reporter the message
    // goes to the error channel; the window program shows it in a box.
    using FatalReporter = void (*)(const QString &title, const QString &text);
    static void setFatalReporter(FatalReporter reporter);

signals:
    void refreshFailed();
    void refreshComplete();
    void driveDetected(QString path);
    void driveDisappeared();
    void driveStateChanged(bool isPresent);
    void youShouldRefreshNow();
    // A drive came or went, whichever it was: the set of sticks may have changed.
    void drivesChanged();

public slots:
    void forceRefresh();
    void driveChanged(bool added, const QString &drive);

private:
    // The WMI layer: wmiquery_linux.cpp answers from the system description; a Windows build
    // adds wmiquery_win.cpp with the COM calls behind the same three members.
    void connectWmi();
    void releaseWmi();
    [[noreturn]] static void fatal(const QString &text);
    // The volume name of a device root, as the Access and volume queries want it.
    static QString volumeName(const QString &root);
    // One detection pass: every matching disk's first FAT32 volume. *quiet when no matching
    // disk has a partition. False when the system's description cannot be asked.
    bool scan(QList<Discwand> *sticks, bool *quiet) const;

    DriveNotifier *storageInfo;
    QString vendorName;
    QString productName;
    QString currentPath;
    QString currentVolume; // what tells the device's volume from another at the same place
    QList<Discwand> found;
    QString wanted;
    bool wantedOrFirst = false;
    IWbemLocator *locator = nullptr;
    IWbemServices *services = nullptr;
};
