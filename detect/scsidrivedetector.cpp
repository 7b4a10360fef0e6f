#include "detect/scsidrivedetector.h"

#include <QDebug>

// Placeholder until the device layer lands: no device is ever found.
class DriveNotifier : public QObject
{
public:
    using QObject::QObject;
};

ScsiDriveDetector::ScsiDriveDetector(const QString &vendorName, const QString &productName,
                                     QObject *parent)
    : QObject(parent)
    , storageInfo(new DriveNotifier(this))
    , vendorName(vendorName)
    , productName(productName)
{
    connectWmi();
}

ScsiDriveDetector::~ScsiDriveDetector()
{
    releaseWmi();
}

QString ScsiDriveDetector::drivePath() const
{
    return currentPath;
}

bool ScsiDriveDetector::isWritable() const
{
    return false;
}

QStringList ScsiDriveDetector::queryProperty(const QString &, const QString &, bool *failed,
                                             bool) const
{
    *failed = true;
    return {};
}

void ScsiDriveDetector::forceRefresh()
{
    currentPath.clear();
    emit refreshComplete();
}

void ScsiDriveDetector::driveChanged(bool added, const QString &drive)
{
    qDebug() << drive << "was" << (added ? "added" : "removed");
    if (currentPath.isEmpty() && added) {
        emit youShouldRefreshNow();
    } else if (!added && drive == currentPath) {
        currentPath.clear();
        emit driveDisappeared();
    }
}

void ScsiDriveDetector::connectWmi() {}
void ScsiDriveDetector::releaseWmi() {}
