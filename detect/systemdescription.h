// The system's own description of its disks, partitions and mounted volumes, read from sysfs,
// the mount table and the udev database below "/" or below DISCSHELF_SYSROOT.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class SystemDescription
{
public:
    struct Mount {
        QString mountPoint; // as the kernel reports it, escapes decoded
        QString number;     // major:minor
        QString source;
        QString fsType;
        bool readOnly = false;
    };

    // root: the directory below which sys/, proc/ and run/ are read ("" for "/").
    explicit SystemDescription(const QString &root = sysroot());

    // DISCSHELF_SYSROOT, or "" when unset: the one place the application reads the environment.
    static QString sysroot();
    QString root() const { return rootDir; }
    QString mountTablePath() const;

    // 0 when the description can be read, otherwise the errno of the first part that cannot.
    int unreadableError() const;

    // Whole disks (sys/block entries with a device link), in a stable order. False when
    // sys/block cannot be listed.
    bool disks(QStringList *names) const;
    bool isDisk(const QString &name) const;
    // Vendor and model inquiry strings, each trimmed, joined by one blank.
    QString model(const QString &disk) const;
    // Partitions of a disk by partition number; a disk without partitions but with a file
    // system of its own is its own single partition. False when the mount table is unreadable.
    bool partitions(const QString &disk, QStringList *names) const;
    // The disk a partition belongs to ("" when the name is no partition of a disk).
    QString diskOfPartition(const QString &name) const;

    // Mounts whose source is a block device, in mount-table order. False when unreadable.
    bool mounts(QList<Mount> *out) const;
    // Block device name (sdb1) that a mount comes from.
    QString deviceOf(const Mount &m) const;
    QString fileSystem(const Mount &m) const;
    bool isReadOnly(const Mount &m) const;

    // Parses mount-table text into its block-device mounts.
    static QList<Mount> parseMountTable(const QByteArray &table);
    static QString decodeMountPath(const QByteArray &escaped);

private:
    QString sysPath(const QString &relative) const;
    QString deviceDir(const QString &name) const;
    bool ownFileSystem(const QString &disk) const;
    QByteArray udevProperty(const QString &number, const QByteArray &key) const;

    QString rootDir;
};
