#include "detect/systemdescription.h"

#include "detect/log.h"

#include <QByteArrayView>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <cstring>

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
    char buffer[65536];
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

// Attribute files (sysfs, udev data) are small and delivered whole by the first read.
QByteArray readTrimmedAt(int dirFd, const QByteArray &path)
{
    const int fd = ::openat(dirFd, path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    char buffer[4096];
    ssize_t n;
    do
        n = ::read(fd, buffer, sizeof buffer);
    while (n < 0 && errno == EINTR);
    ::close(fd);
    return n > 0 ? QByteArray(buffer, int(n)).trimmed() : QByteArray();
}

QByteArray readTrimmed(const QString &path)
{
    return readTrimmedAt(AT_FDCWD, QFile::encodeName(path));
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

SystemDescription::SystemDescription(const SystemDescription &other)
    : rootDir(other.rootDir)
{
}

SystemDescription::~SystemDescription()
{
    if (blockFd >= 0)
        ::close(blockFd);
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

// Disks are looked at one by one from sys/block; short paths from there spare the kernel work.
int SystemDescription::blockDirFd() const
{
    if (blockFd < 0)
        blockFd = ::open(QFile::encodeName(sysPath(QStringLiteral("sys/block"))).constData(),
                         O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    return blockFd;
}

bool SystemDescription::isDisk(const QString &name) const
{
    struct stat st;
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && !name.startsWith(QLatin1Char('.'))
        && blockDirFd() >= 0
        && ::fstatat(blockFd, QFile::encodeName(name + QLatin1String("/device")).constData(), &st, 0) == 0;
}

QString SystemDescription::model(const QString &disk) const
{
    const QByteArray dir = QFile::encodeName(disk) + "/device/";
    QStringList parts;
    for (const char *file : {"vendor", "model"}) {
        const QString part = QString::fromLatin1(readTrimmedAt(blockDirFd(), dir + file));
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
        const QString number = deviceNumber(disk);
        bool own = ownFileSystem(disk);
        for (int i = 0; !own && i < all.size(); ++i)
            own = isMountOf(all.at(i), disk, number);
        if (own)
            names->append(disk);
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
    QString disk;
    const QString dir = deviceDir(name, &disk);
    if (dir.isEmpty())
        return {};
    if (!disk.isEmpty())
        return exists(dir + QLatin1String("/partition")) && isDisk(disk) ? disk : QString();
    QStringList own;
    if (isDisk(name) && partitions(name, &own) && own == QStringList(name))
        return name;
    return {};
}

QString SystemDescription::deviceDir(const QString &name, QString *disk) const
{
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || name.startsWith(QLatin1Char('.')))
        return {};
    const QString blockDir = sysPath(QStringLiteral("sys/block/") + name);
    if (exists(blockDir))
        return blockDir;
    // Partitions are mostly named after their disk: sdb1 on sdb, nvme0n1p1 on nvme0n1.
    QString guess = name;
    while (!guess.isEmpty() && guess.back().isDigit())
        guess.chop(1);
    if (guess.endsWith(QLatin1Char('p')) && guess.size() > 1 && guess.at(guess.size() - 2).isDigit())
        guess.chop(1);
    QStringList disks = {guess};
    if (guess.isEmpty() || !exists(sysPath(QStringLiteral("sys/block/%1/%2").arg(guess, name)))) {
        disks.clear();
        listDir(sysPath(QStringLiteral("sys/block")), &disks);
    }
    for (const QString &candidate : std::as_const(disks)) {
        const QString dir = sysPath(QStringLiteral("sys/block/%1/%2").arg(candidate, name));
        if (exists(dir)) {
            if (disk)
                *disk = candidate;
            return dir;
        }
    }
    return {};
}

QString SystemDescription::deviceNumber(const QString &name) const
{
    const QString dir = deviceDir(name);
    return dir.isEmpty() ? QString() : QString::fromLatin1(readTrimmed(dir + QLatin1String("/dev")));
}

bool SystemDescription::isMountOf(const Mount &m, const QString &name, const QString &number) const
{
    if (!isUnnamedDevice(m.number))
        return m.number == number;
    return deviceOf(m) == name;
}

bool SystemDescription::mounts(QList<Mount> *out) const
{
    QByteArray table;
    if (!readFile(mountTablePath(), &table))
        return false;
    // The table is read afresh every time but seldom changes: the same text needs no new parse.
    // Only the GUI thread reads it.
    static QByteArray lastTable;
    static QList<Mount> lastMounts;
    if (table != lastTable) {
        lastMounts = parseMountTable(table);
        lastTable = table;
    }
    *out = lastMounts;
    return true;
}

QList<SystemDescription::Mount> SystemDescription::parseMountTable(const QByteArray &table)
{
    // Fields: id parent major:minor root mountpoint options [optional...] - type source super.
    QList<Mount> out;
    // A later mount at the same place hides the earlier one: writes there reach the last.
    QHash<QByteArray, int> lastAt;
    QList<int> lineOf;
    QList<QByteArray> rawPoints;
    int line = 0;
    const char *p = table.constData();
    const char *const end = p + table.size();
    while (p < end) {
        const char *eol = static_cast<const char *>(memchr(p, '\n', size_t(end - p)));
        if (!eol)
            eol = end;
        QByteArrayView f[10];
        int n = 0;
        bool afterDash = false;
        for (const char *q = p; q < eol && n < 10;) {
            const char *sp = static_cast<const char *>(memchr(q, ' ', size_t(eol - q)));
            if (!sp)
                sp = eol;
            const QByteArrayView field(q, sp - q);
            if (n >= 6 && !afterDash) {
                afterDash = field == "-";
            } else {
                f[n++] = field;
            }
            q = sp == eol ? eol : sp + 1;
        }
        p = eol == end ? end : eol + 1;
        ++line;
        if (n > 4)
            lastAt.insert(f[4].toByteArray(), line);
        if (!afterDash || n < 8)
            continue;
        const QString number = QString::fromLatin1(f[2]);
        const bool fromDev = f[7].startsWith("/dev/");
        if (isUnnamedDevice(number) && !fromDev)
            continue;
        Mount m;
        m.number = number;
        const QByteArray rawPoint = unescapeMountPath(f[4].toByteArray());
        m.mountPoint = QFile::decodeName(rawPoint);
        // A folder name this system cannot spell exactly would lead writes to a folder of that
        // other spelling, on the computer's own disk: such a volume is left out.
        if (QFile::encodeName(m.mountPoint) != rawPoint) {
            qCWarning(lcDetect) << "Leaving out the volume mounted at" << rawPoint
                                << "whose folder name is not valid in this system's encoding.";
            continue;
        }
        m.fsType = QString::fromLatin1(f[6]);
        m.source = decodeMountPath(f[7].toByteArray());
        const auto hasRo = [](QByteArrayView options) {
            return options == "ro" || options.startsWith("ro,") || options.endsWith(",ro")
                || options.contains(",ro,");
        };
        m.readOnly = hasRo(f[5]) || (n > 8 && hasRo(f[8]));
        out.append(m);
        lineOf.append(line);
        rawPoints.append(f[4].toByteArray());
    }
    QList<Mount> visible;
    for (int i = 0; i < out.size(); ++i)
        if (lastAt.value(rawPoints.at(i)) == lineOf.at(i))
            visible.append(out.at(i));
    return visible;
}

QString SystemDescription::decodeMountPath(const QByteArray &escaped)
{
    return QFile::decodeName(unescapeMountPath(escaped));
}

QByteArray SystemDescription::unescapeMountPath(const QByteArray &escaped)
{
    if (!escaped.contains('\\'))
        return escaped;
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
    return out;
}

QString SystemDescription::deviceOf(const Mount &m) const
{
    if (!isUnnamedDevice(m.number) && hasDeviceLinks()) {
        const QString link = sysPath(QStringLiteral("sys/dev/block/") + m.number);
        if (exists(link))
            return QFileInfo(QFileInfo(link).canonicalFilePath()).fileName();
    }
    if (m.source.startsWith(QLatin1String("/dev/")))
        return m.source.section(QLatin1Char('/'), -1);
    return {};
}

bool SystemDescription::hasDeviceLinks() const
{
    if (deviceLinks < 0)
        deviceLinks = exists(sysPath(QStringLiteral("sys/dev/block"))) ? 1 : 0;
    return deviceLinks == 1;
}

QByteArray SystemDescription::udevProperty(const QString &number, const QByteArray &key) const
{
    return udevValue(readTrimmed(sysPath(QStringLiteral("run/udev/data/b") + number)), key);
}

QByteArray SystemDescription::udevValue(const QByteArray &data, const QByteArray &key)
{
    const QByteArray prefix = "E:" + key + '=';
    for (const QByteArray &line : data.split('\n'))
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed();
    return {};
}

QString SystemDescription::blockNumber(const Mount &m) const
{
    QString number = m.number;
    if (isUnnamedDevice(number)) {
        const QString dir = deviceDir(deviceOf(m));
        if (!dir.isEmpty())
            number = QString::fromLatin1(readTrimmed(dir + QLatin1String("/dev")));
    }
    return number;
}

QString SystemDescription::volumeLabel(const Mount &m) const
{
    return QString::fromUtf8(udevProperty(blockNumber(m), "ID_FS_LABEL"));
}

QString SystemDescription::fileSystem(const Mount &m) const
{
    const QString number = blockNumber(m);
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
    return m.readOnly || isDiskReadOnly(m);
}

bool SystemDescription::isDiskReadOnly(const Mount &m) const
{
    const QString dir = deviceDir(deviceOf(m));
    if (dir.isEmpty())
        return false;
    if (readTrimmed(dir + QLatin1String("/ro")) == "1")
        return true;
    return exists(dir + QLatin1String("/partition")) && readTrimmed(dir + QLatin1String("/../ro")) == "1";
}
