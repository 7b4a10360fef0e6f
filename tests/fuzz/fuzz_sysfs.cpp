// Fuzzes detection's reading of sysfs attributes, udev data and the mount table together: the
// input, cut at each byte 0x01, becomes the files of one disk with one partition below a
// system root, and the queries the detector sends are answered from it.
#include "detect/systemdescription.h"
#include "detect/wmiclasses.h"
#include "detect/wqlquery.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

namespace {

const char *const files[] = {
    "sys/block/sdb/device/vendor", "sys/block/sdb/device/model", "sys/block/sdb/dev",
    "sys/block/sdb/ro",            "sys/block/sdb/sdb1/partition", "sys/block/sdb/sdb1/dev",
    "run/udev/data/b8:17",         "proc/self/mountinfo",
};

QTemporaryDir *root = nullptr;

void write(const QString &path, const QByteArray &content)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(content);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    root = new QTemporaryDir;
    const QDir dir(root->path());
    for (const char *path : {"sys/block/sdb/device", "sys/block/sdb/sdb1", "sys/dev/block",
                             "run/udev/data", "proc/self"})
        dir.mkpath(QString::fromLatin1(path));
    QFile::link(dir.filePath("sys/block/sdb"), dir.filePath("sys/dev/block/8:16"));
    QFile::link(dir.filePath("sys/block/sdb/sdb1"), dir.filePath("sys/dev/block/8:17"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QList<QByteArray> pieces =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size)).split('\x01');
    for (qsizetype i = 0; i < qsizetype(std::size(files)); ++i)
        write(root->filePath(QString::fromLatin1(files[i])), pieces.value(i));

    const SystemDescription description(root->path());
    const WmiClasses classes(description);
    QStringList values;
    const auto ask = [&](const QString &wql, const char *property, bool numeric = false) {
        values.clear();
        classes.run(WqlQuery::parse(wql), QString::fromLatin1(property), numeric, &values);
        return values;
    };
    ask("SELECT DeviceID FROM Win32_DiskDrive WHERE Model LIKE 'QUELLOR DISCWAND%'", "DeviceID");
    const auto literal = [](QString value) {
        return value.replace("\\", "\\\\").replace("'", "\\'");
    };
    for (const QString &drive : ask("SELECT * FROM Win32_DiskDrive", "DeviceID"))
        for (const QString &part : ask("ASSOCIATORS OF {Win32_DiskDrive='" + literal(drive)
                                           + "'} WHERE ResultClass=Win32_DiskPartition", "DeviceID"))
            ask("ASSOCIATORS OF {Win32_DiskPartition='" + literal(part)
                    + "'} WHERE ResultClass=Win32_LogicalDisk", "DeviceID");
    for (const char *property : {"FileSystem", "VolumeName", "VolumeSerialNumber", "Access"})
        ask("SELECT * FROM Win32_LogicalDisk", property, qstrcmp(property, "Access") == 0);
    return 0;
}
