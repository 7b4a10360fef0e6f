#include "detect/wmiclasses.h"

namespace {

const QString devPrefix = QStringLiteral("/dev/");
const QString diskToPartition = QStringLiteral("Win32_DiskDriveToDiskPartition");
const QString logicalToPartition = QStringLiteral("Win32_LogicalDiskToPartition");

bool same(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString convert(const QVariant &v, bool numeric)
{
    if (!numeric)
        return v.isNull() ? QString() : v.toString();
    const qulonglong n = v.userType() == QMetaType::LongLong ? qulonglong(v.toLongLong())
                                                             : v.toString().toULongLong();
    return QString::number(n & 0xFFFF);
}

} // namespace

WmiClasses::Class WmiClasses::classNamed(const QString &name)
{
    if (same(name, QLatin1String("Win32_DiskDrive")))
        return DiskDrive;
    if (same(name, QLatin1String("Win32_DiskPartition")))
        return DiskPartition;
    if (same(name, QLatin1String("Win32_LogicalDisk")))
        return LogicalDisk;
    return NoClass;
}

bool WmiClasses::knows(Class cls, const QString &property)
{
    if (same(property, QLatin1String("DeviceID")) || same(property, QLatin1String("Name"))
        || same(property, QLatin1String("Caption")))
        return cls != NoClass;
    if (cls == DiskDrive)
        return same(property, QLatin1String("Model"));
    return cls == LogicalDisk
        && (same(property, QLatin1String("FileSystem")) || same(property, QLatin1String("Access"))
            || same(property, QLatin1String("VolumeSerialNumber"))
            || same(property, QLatin1String("VolumeDirty"))
            || same(property, QLatin1String("VolumeName")));
}

QVariant WmiClasses::value(const Instance &instance, const QString &property) const
{
    if (!knows(instance.cls, property))
        return {};
    const bool model = same(property, QLatin1String("Model"))
        || (instance.cls == DiskDrive && same(property, QLatin1String("Caption")));
    switch (instance.cls) {
    case DiskDrive:
        return model ? sys.model(instance.name) : devPrefix + instance.name;
    case DiskPartition:
        return devPrefix + instance.name;
    case LogicalDisk:
        if (same(property, QLatin1String("FileSystem")))
            return sys.fileSystem(instance.mount);
        if (same(property, QLatin1String("Access")))
            return qlonglong(sys.isReadOnly(instance.mount) ? 1 : 3); // readable / read-write
        // The kernel remounts a FAT volume read-only when it finds errors in it (the
        // errors=remount-ro that automounters give): a read-only mount of a writable disk wants
        // a check, as Windows' dirty volume does.
        if (same(property, QLatin1String("VolumeDirty")))
            return instance.mount.readOnly && !sys.isDiskReadOnly(instance.mount);
        // What tells one volume from another at the same mount point: its device number.
        if (same(property, QLatin1String("VolumeName")))
            return sys.volumeLabel(instance.mount);
        // A disk that left the system while its mount lingers has no volume any more.
        if (same(property, QLatin1String("VolumeSerialNumber")))
            return sys.deviceNumber(sys.deviceOf(instance.mount)).isEmpty()
                ? QVariant()
                : QVariant(instance.mount.number);
        return instance.name;
    case NoClass:
        break;
    }
    return {};
}

bool WmiClasses::instances(Class cls, QList<Instance> *out) const
{
    QStringList disks;
    switch (cls) {
    case DiskDrive:
    case DiskPartition:
        if (!sys.disks(&disks))
            return false;
        for (const QString &disk : std::as_const(disks)) {
            QStringList parts;
            if (cls == DiskDrive)
                parts << disk;
            else if (!sys.partitions(disk, &parts))
                return false;
            for (const QString &name : std::as_const(parts))
                out->append({cls, name, {}});
        }
        return true;
    case LogicalDisk: {
        QList<SystemDescription::Mount> mounts;
        if (!sys.mounts(&mounts))
            return false;
        for (const auto &m : std::as_const(mounts))
            out->append({LogicalDisk, m.mountPoint, m});
        return true;
    }
    case NoClass:
        break;
    }
    return false;
}

bool WmiClasses::associators(const WqlQuery &query, QList<Instance> *out) const
{
    const Class source = classNamed(query.className());
    const Class result = classNamed(query.resultClass());
    const QString assoc = query.assocClass();
    if (source == NoClass || (!query.resultClass().isEmpty() && result == NoClass)
        || (!assoc.isEmpty() && !same(assoc, diskToPartition) && !same(assoc, logicalToPartition))
        || (!query.keyProperty().isEmpty() && !same(query.keyProperty(), QLatin1String("DeviceID"))))
        return false;
    const auto wanted = [&](Class cls, const QString &via) {
        return (result == NoClass || result == cls) && (assoc.isEmpty() || same(assoc, via));
    };
    const QString key = query.objectKey();
    const QString device = key.startsWith(devPrefix) ? key.mid(devPrefix.size()) : QString();
    QList<SystemDescription::Mount> mounts;

    if (source == DiskDrive) {
        QStringList parts;
        if (sys.isDisk(device) && wanted(DiskPartition, diskToPartition)) {
            if (!sys.partitions(device, &parts))
                return false;
        }
        for (const QString &part : std::as_const(parts))
            out->append({DiskPartition, part, {}});
        return true;
    }
    if (!sys.mounts(&mounts))
        return false;
    if (source == DiskPartition) {
        const QString disk = sys.diskOfPartition(device);
        if (disk.isEmpty())
            return true;
        if (wanted(DiskDrive, diskToPartition))
            out->append({DiskDrive, disk, {}});
        if (wanted(LogicalDisk, logicalToPartition)) {
            const QString number = sys.deviceNumber(device);
            for (const auto &m : std::as_const(mounts))
                if (sys.isMountOf(m, device, number))
                    out->append({LogicalDisk, m.mountPoint, m});
        }
        return true;
    }
    if (!wanted(DiskPartition, logicalToPartition))
        return true;
    QStringList seen;
    for (const auto &m : std::as_const(mounts)) {
        const QString part = m.mountPoint == key ? sys.deviceOf(m) : QString();
        if (!part.isEmpty() && !seen.contains(part) && !sys.diskOfPartition(part).isEmpty()) {
            seen << part;
            out->append({DiskPartition, part, {}});
        }
    }
    return true;
}

bool WmiClasses::run(const WqlQuery &query, const QString &property, bool numeric,
                     QStringList *values) const
{
    QList<Instance> rows;
    QStringList selected = query.properties();
    if (query.kind() == WqlQuery::Select) {
        const Class cls = classNamed(query.className());
        const QStringList named = selected + query.conditionProperties() + QStringList(property);
        for (const QString &p : named)
            if (!knows(cls, p))
                return false;
        if (!instances(cls, &rows))
            return false;
    } else if (query.kind() == WqlQuery::Associators) {
        const Class result = classNamed(query.resultClass());
        const bool known = result != NoClass
            ? knows(result, property)
            : knows(DiskDrive, property) || knows(DiskPartition, property) || knows(LogicalDisk, property);
        if (!known || !associators(query, &rows))
            return false;
    } else {
        return false;
    }
    const bool readable = selected.isEmpty() || selected.contains(property, Qt::CaseInsensitive);
    for (const Instance &row : std::as_const(rows)) {
        if (!query.matches([&](const QString &p) { return value(row, p); }))
            continue;
        values->append(convert(readable ? value(row, property) : QVariant(), numeric));
    }
    return true;
}
