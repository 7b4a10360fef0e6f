// Lays out a system description (disks, partitions, udev data, mount table) under a temporary
// DISCSHELF_SYSROOT, so tests give the application devices without touching the real ones.
#pragma once

#include <QMap>
#include <QString>
#include <QTemporaryDir>

class SysFixture
{
public:
    SysFixture(); // sets DISCSHELF_SYSROOT for the fixture's lifetime
    ~SysFixture();

    QString root() const { return sysroot.path(); }

    // A whole disk sys/block/<name> with SCSI inquiry strings, padded as the kernel pads them.
    void addDisk(const QString &name, const QString &vendor, const QString &model);
    void addPartition(const QString &disk, const QString &part);
    // udev data for a block device: ID_FS_TYPE and, when given, ID_FS_VERSION.
    void setFilesystem(const QString &dev, const QString &type, const QString &version = {});
    void setDeviceReadOnly(const QString &dev, bool readOnly);

    // Adds a mount-table line whose source is /dev/<dev>, or a tmpfs without a device (which
    // must be ignored), at a fresh directory when no mount point is given. Returns the latter.
    QString mount(const QString &dev, const QString &mountPoint = {}, bool readOnly = false);
    void unmount(const QString &mountPoint);

    // Disk <disk> "QUELLOR" / "DISCWAND FLASH" with partition <disk>1, FAT32, mounted.
    // Returns the device root (mount point + "/").
    QString addDiscwand(const QString &disk = QStringLiteral("sdb"), bool readOnly = false);

    // Removes a file or directory of the description (a path relative to the root).
    void vanish(const QString &relativePath);
    // A plain temporary directory that lives as long as the fixture.
    QString makeDir(const QString &name);

private:
    struct Mount
    {
        QString dev;
        QString mountPoint;
        bool readOnly;
    };
    QString devDir(const QString &dev) const;
    QByteArray devNumber(const QString &dev);
    void writeMountTable();
    void writeFile(const QString &path, const QByteArray &content) const;

    QTemporaryDir sysroot;
    QTemporaryDir mounts;
    QMap<QString, QString> parentDisk; // partition -> disk
    QMap<QString, int> minors;
    QList<Mount> mountTable;
};
