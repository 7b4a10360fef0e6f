#include "common/sysfixture.h"

#include "common/testenv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

SysFixture::SysFixture()
{
    for (const char *dir : { "sys/block", "run/udev/data", "proc/self" })
        QDir(root()).mkpath(QLatin1String(dir));
    mount({}, QStringLiteral("/proc"));
    qputenv("DISCSHELF_SYSROOT", QFile::encodeName(root()));
}

SysFixture::~SysFixture()
{
    qunsetenv("DISCSHELF_SYSROOT");
}

// Relative paths are taken from the root; directories on the way are made.
void SysFixture::writeFile(const QString &path, const QByteArray &content) const
{
    TestEnv::writeFile(QDir(root()).filePath(path), content + '\n');
}

QString SysFixture::devDir(const QString &dev) const
{
    const QString disk = parentDisk.value(dev);
    return QStringLiteral("sys/block/") + (disk.isEmpty() ? dev : disk + QLatin1Char('/') + dev);
}

QByteArray SysFixture::devNumber(const QString &dev)
{
    if (!minors.contains(dev))
        minors.insert(dev, int(minors.size()));
    return "8:" + QByteArray::number(minors.value(dev));
}

void SysFixture::addDisk(const QString &name, const QString &vendor, const QString &model)
{
    writeFile(devDir(name) + "/device/vendor", vendor.leftJustified(8).toLatin1());
    writeFile(devDir(name) + "/device/model", model.leftJustified(16).toLatin1());
    writeFile(devDir(name) + "/dev", devNumber(name));
    setDeviceReadOnly(name, false);
}

void SysFixture::addPartition(const QString &disk, const QString &part)
{
    parentDisk.insert(part, disk);
    writeFile(devDir(part) + "/partition", QByteArray::number(parentDisk.keys(disk).size()));
    writeFile(devDir(part) + "/dev", devNumber(part));
    setDeviceReadOnly(part, false);
}

void SysFixture::setFilesystem(const QString &dev, const QString &type, const QString &version)
{
    QByteArray data = "E:ID_FS_TYPE=" + type.toLatin1();
    if (!version.isEmpty())
        data += "\nE:ID_FS_VERSION=" + version.toLatin1();
    writeFile("run/udev/data/b" + devNumber(dev), data);
}

void SysFixture::setDeviceReadOnly(const QString &dev, bool readOnly)
{
    writeFile(devDir(dev) + QStringLiteral("/ro"), readOnly ? "1" : "0");
}

QString SysFixture::mount(const QString &dev, const QString &mountPoint, bool readOnly)
{
    const QString where = mountPoint.isEmpty() ? makeDir(QStringLiteral("mnt-") + dev) : mountPoint;
    QDir().mkpath(where);
    mountTable.append({ dev, where, readOnly });
    writeMountTable();
    return where;
}

void SysFixture::unmount(const QString &mountPoint)
{
    mountTable.removeIf([&](const Mount &m) { return m.mountPoint == mountPoint; });
    writeMountTable();
}

QString SysFixture::addDiscwand(const QString &disk, bool readOnly)
{
    const QString part = disk + QLatin1Char('1');
    addDisk(disk, QStringLiteral("QUELLOR"), QStringLiteral("DISCWAND FLASH"));
    addPartition(disk, part);
    setFilesystem(part, QStringLiteral("vfat"), QStringLiteral("FAT32"));
    // The switch: the disk refuses writes, so the system mounts it read-only too.
    setDeviceReadOnly(disk, readOnly);
    return mount(part, QString(), readOnly) + QLatin1Char('/');
}

void SysFixture::vanish(const QString &relativePath)
{
    const QString path = root() + QLatin1Char('/') + relativePath;
    QDir(path).removeRecursively(); // does nothing to a file
    QFile::remove(path);
}

QString SysFixture::makeDir(const QString &name)
{
    QString path = mounts.filePath(name);
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = mounts.filePath(name + QString::number(n));
    QDir().mkpath(path);
    return path;
}

// The kernel escapes blanks, tabs, newlines and backslashes in paths, and writes the options
// "ro"/"rw" first in both option fields.
void SysFixture::writeMountTable()
{
    QByteArray table;
    int id = 20;
    for (const Mount &m : std::as_const(mountTable)) {
        QByteArray path;
        for (char c : m.mountPoint.toUtf8())
            path += QByteArray(" \t\n\\").contains(c)
                ? "\\" + QByteArray::number(uchar(c), 8).rightJustified(3, '0')
                : QByteArray(1, c);
        const bool block = !m.dev.isEmpty();
        const QByteArray ro = m.readOnly ? " ro," : " rw,";
        table += QByteArray::number(id++) + " 1 " + (block ? devNumber(m.dev) : "0:5") + " / "
            + path + ro + "relatime shared:1 - "
            + (block ? "vfat /dev/" + m.dev.toLatin1() : "tmpfs tmpfs") + ro
            + "errors=remount-ro\n";
    }
    writeFile(QStringLiteral("proc/self/mountinfo"), table.chopped(1));
}
