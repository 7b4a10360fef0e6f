#include "detect/systemdescription.h"

#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

// Plain POSIX reads: a detection pass reads hundreds of tiny sysfs files, and QFile's
// per-file overhead would dominate.
bool readFile(const QString &path, QByteArray *content)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    content->clear();
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ::close(fd);
            return n == 0;
        }
        content->append(buffer, n);
    }
}

QByteArray readTrimmed(const QString &path)
{
    QByteArray content;
    return readFile(path, &content) ? content.trimmed() : QByteArray();
}

bool exists(const QString &path)
{
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0;
}

// Entry names of a directory; false when it cannot be listed.
bool listDir(const QString &path, QStringList *names)
{
    DIR *dir = ::opendir(QFile::encodeName(path).constData());
    if (!dir)
        return false;
    while (const dirent *e = ::readdir(dir)) {
        if (qstrcmp(e->d_name, ".") != 0 && qstrcmp(e->d_name, "..") != 0)
            names->append(QFile::decodeName(e->d_name));
    }
    ::closedir(dir);
    return true;
}

bool isUnnamedDevice(const QString &number)
{
    return number.startsWith(QLatin1String("0:"));
}

// sdb before sdaa, as the kernel hands out the names.
bool nameOrder(const QString &a, const QString &b)
{
    return a.size() != b.size() ? a.size() < b.size() : a < b;
}

} // namespace

SystemDescription::SystemDescription(const QString &root)
    : rootDir(root)
{
    while (rootDir.endsWith(QLatin1Char('/')))
        rootDir.chop(1);
}

QString SystemDescription::sysroot()
{
    return qEnvironmentVariable("DISCSHELF_SYSROOT");
}

QString SystemDescription::sysPath(const QString &relative) const
{
    return rootDir + QLatin1Char('/') + relative;
}

QString SystemDescription::mountTablePath() const
{
    return sysPath(QStringLiteral("proc/self/mountinfo"));
}

int SystemDescription::unreadableError() const
{
    if (::access(QFile::encodeName(sysPath(QStringLiteral("sys/block"))).constData(), R_OK | X_OK) != 0)
        return errno;
    if (::access(QFile::encodeName(mountTablePath()).constData(), R_OK) != 0)
        return errno;
    return 0;
}

bool SystemDescription::disks(QStringList *names) const
{
    QStringList entries;
    if (!listDir(sysPath(QStringLiteral("sys/block")), &entries))
        return false;
    for (const QString &name : std::as_const(entries))
        if (isDisk(name))
            names->append(name);
    std::sort(names->begin(), names->end(), nameOrder);
    return true;
}

bool SystemDescription::isDisk(const QString &name) const
{
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && !name.startsWith(QLatin1Char('.'))
        && exists(sysPath(QStringLiteral("sys/block/%1/device").arg(name)));
}

QString SystemDescription::model(const QString &disk) const
{
    const QString dir = sysPath(QStringLiteral("sys/block/%1/device/").arg(disk));
    QStringList parts;
    for (const char *file : {"vendor", "model"}) {
        const QString part = QString::fromLatin1(readTrimmed(dir + QLatin1String(file)));
        if (!part.isEmpty())
            parts << part;
    }
    return parts.join(QLatin1Char(' '));
}

bool SystemDescription::partitions(const QString &disk, QStringList *names) const
{
    const QString dir = sysPath(QStringLiteral("sys/block/") + disk);
    QStringList entries;
    if (!listDir(dir, &entries))
        return exists(sysPath(QStringLiteral("sys/block"))); // a disk that just went is no fault
    QList<QPair<int, QString>> found;
    for (const QString &entry : std::as_const(entries)) {
        QByteArray number;
        if (readFile(dir + QLatin1Char('/') + entry + QLatin1String("/partition"), &number))
            found.append({number.trimmed().toInt(), entry});
    }
    std::sort(found.begin(), found.end());
    for (const auto &p : std::as_const(found))
        names->append(p.second);
    if (found.isEmpty()) {
        QList<Mount> all;
        if (!mounts(&all))
            return false;
        if (ownFileSystem(disk))
            names->append(disk);
        else
            for (const Mount &m : std::as_const(all))
                if (deviceOf(m) == disk) {
                    names->append(disk);
                    break;
                }
    }
    return true;
}

bool SystemDescription::ownFileSystem(const QString &disk) const
{
    const QByteArray number = readTrimmed(sysPath(QStringLiteral("sys/block/%1/dev").arg(disk)));
    return !number.isEmpty() && !udevProperty(QString::fromLatin1(number), "ID_FS_TYPE").isEmpty();
}

QString SystemDescription::diskOfPartition(const QString &name) const
{
    if (name.isEmpty() || name.contains(QLatin1Char('/')))
        return {};
    const QString dir = deviceDir(name);
    if (dir.isEmpty())
        return {};
    if (exists(dir + QLatin1String("/partition"))) {
        const QString disk = QFileInfo(QFileInfo(dir).canonicalFilePath()).path().section(QLatin1Char('/'), -1);
        return isDisk(disk) ? disk : QString();
    }
    QStringList own;
    if (isDisk(name) && partitions(name, &own) && own == QStringList(name))
        return name;
    return {};
}

QString SystemDescription::deviceDir(const QString &name) const
{
    const QString classDir = sysPath(QStringLiteral("sys/class/block/") + name);
    if (exists(classDir))
        return classDir;
    const QString blockDir = sysPath(QStringLiteral("sys/block/") + name);
    if (exists(blockDir))
        return blockDir;
    QStringList disks;
    listDir(sysPath(QStringLiteral("sys/block")), &disks);
    for (const QString &disk : std::as_const(disks)) {
        const QString dir = sysPath(QStringLiteral("sys/block/%1/%2").arg(disk, name));
        if (exists(dir))
            return dir;
    }
    return {};
}

bool SystemDescription::mounts(QList<Mount> *out) const
{
    QByteArray table;
    if (!readFile(mountTablePath(), &table))
        return false;
    *out = parseMountTable(table);
    return true;
}

QList<SystemDescription::Mount> SystemDescription::parseMountTable(const QByteArray &table)
{
    QList<Mount> out;
    for (const QByteArray &line : table.split('\n')) {
        const QList<QByteArray> f = line.split(' ');
        const int sep = f.indexOf("-");
        if (sep < 6 || f.size() < sep + 3)
            continue;
        Mount m;
        m.number = QString::fromLatin1(f.at(2));
        m.mountPoint = decodeMountPath(f.at(4));
        m.fsType = QString::fromLatin1(f.at(sep + 1));
        m.source = decodeMountPath(f.at(sep + 2));
        const QByteArray super = f.size() > sep + 3 ? f.at(sep + 3) : QByteArray();
        m.readOnly = f.at(5).split(',').contains("ro") || super.split(',').contains("ro");
        if (!isUnnamedDevice(m.number) || m.source.startsWith(QLatin1String("/dev/")))
            out.append(m);
    }
    return out;
}

QString SystemDescription::decodeMountPath(const QByteArray &escaped)
{
    QByteArray out;
    out.reserve(escaped.size());
    for (int i = 0; i < escaped.size(); ++i) {
        const char c = escaped.at(i);
        if (c == '\\' && i + 3 < escaped.size()) {
            const QByteArray digits = escaped.mid(i + 1, 3);
            bool ok = false;
            const int value = digits.toInt(&ok, 8);
            if (ok && value < 256) {
                out += char(value);
                i += 3;
                continue;
            }
        }
        out += c;
    }
    return QString::fromUtf8(out);
}

QString SystemDescription::deviceOf(const Mount &m) const
{
    if (!isUnnamedDevice(m.number)) {
        const QString link = sysPath(QStringLiteral("sys/dev/block/") + m.number);
        if (exists(link))
            return QFileInfo(QFileInfo(link).canonicalFilePath()).fileName();
    }
    if (m.source.startsWith(QLatin1String("/dev/")))
        return m.source.section(QLatin1Char('/'), -1);
    return {};
}

QByteArray SystemDescription::udevProperty(const QString &number, const QByteArray &key) const
{
    QByteArray data;
    if (!readFile(sysPath(QStringLiteral("run/udev/data/b") + number), &data))
        return {};
    const QByteArray prefix = "E:" + key + '=';
    for (const QByteArray &line : data.split('\n'))
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed();
    return {};
}

QString SystemDescription::fileSystem(const Mount &m) const
{
    QString number = m.number;
    if (isUnnamedDevice(number)) {
        const QString dir = deviceDir(deviceOf(m));
        if (!dir.isEmpty())
            number = QString::fromLatin1(readTrimmed(dir + QLatin1String("/dev")));
    }
    QByteArray type = udevProperty(number, "ID_FS_TYPE");
    const QByteArray version = type.isEmpty() ? QByteArray() : udevProperty(number, "ID_FS_VERSION");
    if (type.isEmpty())
        type = m.fsType.toLatin1();
    if (type == "vfat" || type == "msdos") {
        if (version == "FAT32")
            return QStringLiteral("FAT32");
        if (version == "FAT12" || version == "FAT16")
            return QStringLiteral("FAT");
        // A mounted FAT volume reports its clusters as its blocks; 65,525 or more make FAT32.
        struct statvfs st;
        if (::statvfs(QFile::encodeName(m.mountPoint).constData(), &st) == 0)
            return st.f_blocks >= 65525 ? QStringLiteral("FAT32") : QStringLiteral("FAT");
        return QStringLiteral("FAT");
    }
    if (type == "ntfs" || type == "ntfs3")
        return QStringLiteral("NTFS");
    if (type == "exfat")
        return QStringLiteral("exFAT");
    return QString::fromLatin1(type).toUpper();
}

bool SystemDescription::isReadOnly(const Mount &m) const
{
    if (m.readOnly)
        return true;
    const QString dir = deviceDir(deviceOf(m));
    if (dir.isEmpty())
        return false;
    if (readTrimmed(dir + QLatin1String("/ro")) == "1")
        return true;
    return exists(dir + QLatin1String("/partition")) && readTrimmed(dir + QLatin1String("/../ro")) == "1";
}
