#include "detect/scsidrivedetector.h"

#include "detect/drivenotifier.h"
#include "detect/log.h"

#include <algorithm>
#include <cstdlib>

namespace {

ScsiDriveDetector::FatalReporter fatalReporter = nullptr;

// Values go into single-quoted WQL literals; escaped, no value can end the literal early.
QString literal(QString value)
{
    value.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    value.replace(QLatin1Char('\''), QLatin1String("\\'"));
    return value;
}

} // namespace

ScsiDriveDetector::ScsiDriveDetector(const QString &vendorName, const QString &productName,
                                     QObject *parent)
    : QObject(parent)
    , storageInfo(new DriveNotifier(this))
    , vendorName(vendorName)
    , productName(productName)
{
    connectWmi();
    connect(storageInfo, &DriveNotifier::logicalDriveChanged, this, &ScsiDriveDetector::driveChanged);
}

void ScsiDriveDetector::setFatalReporter(FatalReporter reporter)
{
    fatalReporter = reporter;
}

void ScsiDriveDetector::fatal(const QString &text)
{
    if (fatalReporter)
        fatalReporter(tr("Fatal Error"), text);
    else
        qCCritical(lcDetect).noquote() << text;
    std::exit(-1);
}

ScsiDriveDetector::~ScsiDriveDetector()
{
    releaseWmi();
}

QString ScsiDriveDetector::drivePath() const
{
    return currentPath;
}

Discwand ScsiDriveDetector::discwand() const
{
    return currentPath.isEmpty() ? Discwand() : Discwand(this, currentPath, currentVolume);
}

QList<Discwand> ScsiDriveDetector::sticks() const
{
    return found;
}

void ScsiDriveDetector::setWanted(const QString &stick, bool orFirst)
{
    wanted = stick;
    wantedOrFirst = orFirst;
}

bool ScsiDriveDetector::scan(QList<Discwand> *sticks, bool *quiet) const
{
    bool failed = false;
    const QStringList drives = queryProperty(
        QStringLiteral("SELECT DeviceID FROM Win32_DiskDrive WHERE Model LIKE '%1 %2%'")
            .arg(literal(vendorName), literal(productName)),
        QStringLiteral("DeviceID"), &failed, false);
    if (failed)
        return false;
    if (drives.size() > 1 && wanted.isEmpty())
        qCDebug(lcDetect) << "Found >1 matching drive, only using the first one.";
    // With no matching disk, or none with a partition, nothing is told but the pass's end.
    *quiet = true;
    for (const QString &drive : drives) {
        const QStringList partitions = queryProperty(
            QStringLiteral("ASSOCIATORS OF {Win32_DiskDrive='%1'} WHERE ResultClass=Win32_DiskPartition")
                .arg(literal(drive)),
            QStringLiteral("DeviceID"), &failed, false);
        if (failed)
            return false;
        if (partitions.isEmpty())
            continue;
        *quiet = false;
        QStringList logicalDisks;
        for (const QString &partition : partitions) {
            logicalDisks += queryProperty(
                QStringLiteral("ASSOCIATORS OF {Win32_DiskPartition='%1'} WHERE ResultClass=Win32_LogicalDisk")
                    .arg(literal(partition)),
                QStringLiteral("DeviceID"), &failed, false);
            if (failed)
                return false;
        }
        QString disk;
        for (const QString &candidate : std::as_const(logicalDisks)) {
            const QStringList fileSystems = queryProperty(
                QStringLiteral("SELECT FileSystem FROM Win32_LogicalDisk WHERE Name='%1'")
                    .arg(literal(candidate)),
                QStringLiteral("FileSystem"), &failed, false);
            if (failed)
                return false;
            if (!fileSystems.isEmpty() && fileSystems.first() == QLatin1String("FAT32")) {
                disk = candidate;
                break;
            }
        }
        if (disk.isEmpty())
            continue;
        const QStringList serials = queryProperty(
            QStringLiteral("SELECT VolumeSerialNumber FROM Win32_LogicalDisk WHERE Name='%1'")
                .arg(literal(disk)),
            QStringLiteral("VolumeSerialNumber"), &failed, false);
        if (failed)
            return false;
        if (!disk.endsWith(QLatin1Char('/')))
            disk += QLatin1Char('/');
        sticks->append(Discwand(this, disk, serials.value(0)));
    }
    return true;
}

void ScsiDriveDetector::forceRefresh()
{
    const bool wasPresent = !currentPath.isEmpty();
    currentPath.clear();
    QList<Discwand> sticks;
    bool quiet = false;
    if (!scan(&sticks, &quiet)) {
        emit refreshFailed();
        return;
    }
    found = sticks;
    if (quiet) {
        emit refreshComplete();
        return;
    }
    auto chosen = std::find_if(sticks.cbegin(), sticks.cend(), [this](const Discwand &stick) {
        return wanted.isEmpty() || stick.isCalled(wanted);
    });
    if (chosen == sticks.cend() && wantedOrFirst)
        chosen = sticks.cbegin();
    const bool isPresent = chosen != sticks.cend();
    if (isPresent) {
        currentVolume = chosen->volume();
        currentPath = chosen->root();
        emit driveDetected(currentPath);
    }
    if (isPresent != wasPresent) {
        emit driveStateChanged(!currentPath.isEmpty());
        if (currentPath.isEmpty())
            emit driveDisappeared();
    }
    emit refreshComplete();
}

void ScsiDriveDetector::driveChanged(bool added, const QString &drive)
{
    qCDebug(lcDetect) << drive << "was" << (added ? "added" : "removed");
    emit drivesChanged();
    if (currentPath.isEmpty() && added) {
        emit youShouldRefreshNow();
    } else if (!added && drive == currentPath) {
        currentPath.clear();
        emit driveDisappeared();
    }
}

QString ScsiDriveDetector::volumeName(const QString &root)
{
    // The volume is named by its mount point, which is the device root without its final "/".
    QString volume = root;
    if (volume.size() > 1)
        volume.chop(1);
    return volume;
}

bool ScsiDriveDetector::isPresent() const
{
    if (currentPath.isEmpty())
        return false;
    bool failed = false;
    const QStringList serials = queryProperty(
        QStringLiteral("SELECT VolumeSerialNumber FROM Win32_LogicalDisk WHERE Name='%1'")
            .arg(literal(volumeName(currentPath))),
        QStringLiteral("VolumeSerialNumber"), &failed, false);
    return !failed && !serials.isEmpty() && serials.first() == currentVolume;
}

QString ScsiDriveDetector::volumeProperty(const QString &property) const
{
    return volumePropertyAt(currentPath, property);
}

QString ScsiDriveDetector::volumePropertyAt(const QString &root, const QString &property) const
{
    if (root.isEmpty())
        return {};
    bool failed = false;
    const QStringList values = queryProperty(
        QStringLiteral("SELECT %1 FROM Win32_LogicalDisk WHERE Name='%2'")
            .arg(property, literal(volumeName(root))),
        property, &failed, false);
    return failed ? QString() : values.value(0);
}

bool ScsiDriveDetector::isVolumeDirty() const
{
    return discwand().isVolumeDirty();
}

bool ScsiDriveDetector::isWritable() const
{
    if (currentPath.isEmpty())
        return false;
    bool failed = false;
    const QStringList access = queryProperty(
        QStringLiteral("SELECT Access FROM Win32_LogicalDisk WHERE Name = '%1'")
            .arg(literal(volumeName(currentPath))),
        QStringLiteral("Access"), &failed, true);
    if (access.isEmpty()) {
        qCWarning(lcDetect) << "Derp, checking writability of non-existent drive.";
        return false;
    }
    return !failed && access.first() != QLatin1String("1");
}
