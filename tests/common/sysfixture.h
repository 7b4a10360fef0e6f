// Lays out a system description (disks, partitions, udev data, mount table) under a temporary
// DISCSHELF_SYSROOT, so tests give the application devices without touching the real ones.
#pragma once

#include <QMap>
#include <QString>
#include <QTemporaryDir>

class SysFixture
{
public:
    // Sets DISCSHELF_SYSROOT for the fixture's lifetime; unsets it again when destroyed.
    SysFixture();
    ~SysFixture();
    SysFixture(const SysFixture &) = delete;
    SysFixture &operator=(const SysFixture &) = delete;

    QString root() const { return sysroot.path(); }

    // A whole disk sys/block/<name> with SCSI inquiry strings (written with trailing blanks as
    // the kernel pads them).
    void addDisk(const QString &name, const QString &vendor, const QString &model);
    // A partition sys/block/<disk>/<part>.
    void addPartition(const QString &disk, const QString &part);
    // udev data for a block device: ID_FS_TYPE and, when given, ID_FS_VERSION.
    void setFilesystem(const QString &dev, const QString &type, const QString &version = {});
    // The block device's own read-only flag (sys/.../ro).
    void setDeviceReadOnly(const QString &dev, bool readOnly);

    // Mounts a block device: adds a mount-table line whose source is /dev/<dev>. Without a
    // mount point a fresh real directory is made. Returns the mount point.
    QString mount(const QString &dev, const QString &mountPoint = {}, bool readOnly = false,
                  const QString &fsType = QStringLiteral("vfat"));
    void unmount(const QString &mountPoint);
    // A mount of something that is no block device (proc, tmpfs ...): must be ignored.
    void addPseudoMount(const QString &mountPoint, const QString &fsType);

    // A discwand as the application expects it: disk sdb "QUELLOR" / "DISCWAND FLASH" with
    // partition sdb1, FAT32, mounted. Returns the device root (mount point + "/").
    QString addDiscwand(const QString &disk = QStringLiteral("sdb"), bool readOnly = false);

    // Removes part of the description (a file or directory path relative to the root), as
    // when the system's description of its disks vanishes or can no longer be read.
    void vanish(const QString &relativePath);

    // A plain temporary directory that lives as long as the fixture.
    QString makeDir(const QString &name);

private:
    struct Mount {
        QString dev;
        QString mountPoint;
        bool readOnly;
        QString fsType;
    };
    QString devDir(const QString &dev) const;
    QString devNumber(const QString &dev);
    void writeMountTable() const;
    static void writeFile(const QString &path, const QByteArray &content);

    QTemporaryDir sysroot;
    QTemporaryDir mounts;
    QMap<QString, QString> parentDisk; // partition -> disk
    QMap<QString, int> minors;
    QList<Mount> mountTable;
    int nextMinor = 0;
};
