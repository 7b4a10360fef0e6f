#include "common/sysfixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

SysFixture::SysFixture()
{
    QDir(sysroot.path()).mkpath(QStringLiteral("sys/block"));
    QDir(sysroot.path()).mkpath(QStringLiteral("run/udev/data"));
    QDir(sysroot.path()).mkpath(QStringLiteral("proc/self"));
    addPseudoMount(QStringLiteral("/proc"), QStringLiteral("proc"));
    qputenv("DISCSHELF_SYSROOT", sysroot.path().toLocal8Bit());
}

SysFixture::~SysFixture()
{
    qunsetenv("DISCSHELF_SYSROOT");
}

void SysFixture::writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(content);
}

QString SysFixture::devDir(const QString &dev) const
{
    const QString disk = parentDisk.value(dev);
    const QString block = sysroot.path() + QStringLiteral("/sys/block/");
    return disk.isEmpty() ? block + dev : block + disk + QLatin1Char('/') + dev;
}

QString SysFixture::devNumber(const QString &dev)
{
    if (!minors.contains(dev))
        minors.insert(dev, nextMinor++);
    return QStringLiteral("8:%1").arg(minors.value(dev));
}

void SysFixture::addDisk(const QString &name, const QString &vendor, const QString &model)
{
    const QString dir = devDir(name);
    writeFile(dir + QStringLiteral("/device/vendor"), vendor.leftJustified(8).toLatin1() + '\n');
    writeFile(dir + QStringLiteral("/device/model"), model.leftJustified(16).toLatin1() + '\n');
    writeFile(dir + QStringLiteral("/dev"), devNumber(name).toLatin1() + '\n');
    writeFile(dir + QStringLiteral("/ro"), "0\n");
}

void SysFixture::addPartition(const QString &disk, const QString &part)
{
    parentDisk.insert(part, disk);
    const QString dir = devDir(part);
    const int number = QDir(devDir(disk)).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size();
    writeFile(dir + QStringLiteral("/partition"), QByteArray::number(number) + '\n');
    writeFile(dir + QStringLiteral("/dev"), devNumber(part).toLatin1() + '\n');
    writeFile(dir + QStringLiteral("/ro"), "0\n");
}

void SysFixture::setFilesystem(const QString &dev, const QString &type, const QString &version)
{
    QByteArray data = "E:ID_FS_TYPE=" + type.toLatin1() + '\n';
    if (!version.isEmpty())
        data += "E:ID_FS_VERSION=" + version.toLatin1() + '\n';
    writeFile(sysroot.path() + QStringLiteral("/run/udev/data/b") + devNumber(dev), data);
}

void SysFixture::setDeviceReadOnly(const QString &dev, bool readOnly)
{
    writeFile(devDir(dev) + QStringLiteral("/ro"), readOnly ? "1\n" : "0\n");
}

QString SysFixture::mount(const QString &dev, const QString &mountPoint, bool readOnly,
                          const QString &fsType)
{
    QString where = mountPoint;
    if (where.isEmpty())
        where = makeDir(QStringLiteral("mnt-") + dev);
    QDir().mkpath(where);
    devNumber(dev);
    mountTable.append({dev, where, readOnly, fsType});
    writeMountTable();
    return where;
}

void SysFixture::unmount(const QString &mountPoint)
{
    for (int i = mountTable.size() - 1; i >= 0; --i)
        if (mountTable.at(i).mountPoint == mountPoint)
            mountTable.removeAt(i);
    writeMountTable();
}

void SysFixture::addPseudoMount(const QString &mountPoint, const QString &fsType)
{
    mountTable.append({QString(), mountPoint, false, fsType});
    writeMountTable();
}

QString SysFixture::addDiscwand(const QString &disk, bool readOnly)
{
    const QString part = disk + QLatin1Char('1');
    addDisk(disk, QStringLiteral("QUELLOR"), QStringLiteral("DISCWAND FLASH"));
    addPartition(disk, part);
    setFilesystem(part, QStringLiteral("vfat"), QStringLiteral("FAT32"));
    return mount(part, QString(), readOnly) + QLatin1Char('/');
}

void SysFixture::vanish(const QString &relativePath)
{
    const QString path = sysroot.path() + QLatin1Char('/') + relativePath;
    if (QFileInfo(path).isDir())
        QDir(path).removeRecursively();
    else
        QFile::remove(path);
}

QString SysFixture::makeDir(const QString &name)
{
    QString path = mounts.path() + QLatin1Char('/') + name;
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = mounts.path() + QLatin1Char('/') + name + QString::number(n);
    QDir().mkpath(path);
    return path;
}

namespace {

// The kernel escapes blanks, tabs, newlines and backslashes in mount-table paths.
QByteArray escapeMountPath(const QString &path)
{
    QByteArray out;
    for (char c : path.toUtf8()) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\\')
            out += '\\' + QByteArray::number(static_cast<unsigned char>(c), 8).rightJustified(3, '0');
        else
            out += c;
    }
    return out;
}

} // namespace

void SysFixture::writeMountTable() const
{
    QByteArray table;
    int id = 20;
    for (const Mount &m : mountTable) {
        const bool block = !m.dev.isEmpty();
        const QByteArray number =
            block ? QStringLiteral("8:%1").arg(minors.value(m.dev)).toLatin1() : "0:5";
        const QByteArray source = block ? "/dev/" + m.dev.toLatin1() : m.fsType.toLatin1();
        table += QByteArray::number(id++) + " 1 " + number + " / " + escapeMountPath(m.mountPoint)
            + (m.readOnly ? " ro" : " rw") + ",relatime shared:1 - " + m.fsType.toLatin1() + ' '
            + source + (m.readOnly ? " ro" : " rw") + '\n';
    }
    writeFile(sysroot.path() + QStringLiteral("/proc/self/mountinfo"), table);
}
