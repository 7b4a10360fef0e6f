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
    SystemDescription(const SystemDescription &other);
    SystemDescription &operator=(const SystemDescription &) = delete;
    ~SystemDescription();

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

    // Mounts whose source is a block device, in mount-table order, each the visible one at its
    // place (a later mount at the same place hides it). False when unreadable.
    bool mounts(QList<Mount> *out) const;
    // Block device name (sdb1) that a mount comes from.
    QString deviceOf(const Mount &m) const;
    // major:minor of a block device, "" when there is no such device.
    QString deviceNumber(const QString &name) const;
    // Whether a mount comes from the named block device whose major:minor is given.
    bool isMountOf(const Mount &m, const QString &name, const QString &number) const;
    QString fileSystem(const Mount &m) const;
    // The volume's label as udev read it, "" when it has none.
    QString volumeLabel(const Mount &m) const;
    // Read-only by the mount or by the disk.
    bool isReadOnly(const Mount &m) const;
    // The disk itself takes no writes (its ro attribute, which a write-protect switch sets).
    bool isDiskReadOnly(const Mount &m) const;

    // Parses mount-table text into its visible block-device mounts.
    static QList<Mount> parseMountTable(const QByteArray &table);
    static QString decodeMountPath(const QByteArray &escaped);
    // The bytes of an escaped mount-table path (octal escapes such as \040 decoded).
    static QByteArray unescapeMountPath(const QByteArray &escaped);
    // The value of one property ("E:KEY=value" line) of a udev database entry, "" when absent.
    static QByteArray udevValue(const QByteArray &data, const QByteArray &key);

private:
    QString sysPath(const QString &relative) const;
    // major:minor of the block device a mount comes from, also for a FUSE mount of one.
    QString blockNumber(const Mount &m) const;
    // The block device's sysfs directory; *disk is set when it is a partition found below its disk.
    QString deviceDir(const QString &name, QString *disk = nullptr) const;
    bool ownFileSystem(const QString &disk) const;
    QByteArray udevProperty(const QString &number, const QByteArray &key) const;

    bool hasDeviceLinks() const;
    int blockDirFd() const;

    QString rootDir;
    mutable int deviceLinks = -1; // whether sys/dev/block exists; asked once per description
    mutable int blockFd = -1;     // sys/block, opened when first needed
};
