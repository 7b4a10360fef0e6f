#include "library/stickstatus.h"

#include "detect/scsidrivedetector.h"
#include "detect/volumeroom.h"

#include <QFile>
#include <QStorageInfo>

QString StickStatus::readBootImage(const QString &root)
{
    QFile file(root + QStringLiteral("config/iso_filename.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // The device reads one byte per character; a line ending some editor added is no part of it.
    return QString::fromLatin1(file.read(4096)).trimmed();
}

StickStatus StickStatus::read(const ScsiDriveDetector &detector)
{
    StickStatus status;
    status.root = detector.drivePath();
    status.present = detector.isPresent();
    if (!status.present)
        return status;
    status.label = detector.volumeProperty(QStringLiteral("VolumeName"));
    status.fileSystem = detector.volumeProperty(QStringLiteral("FileSystem"));
    const VolumeRoom room = VolumeRoom::of(status.root);
    status.capacity = room.capacity;
    status.freeBytes = room.isKnown() ? room.freeBytes : 0;
    if (status.label.isEmpty())
        status.label = QStorageInfo(status.root).name();
    status.readOnly = !detector.isWritable();
    status.mountReadOnly = status.readOnly && detector.isVolumeDirty();
    status.bootImage = readBootImage(status.root);
    status.selectorPresent = QFile::exists(status.root + QStringLiteral("config/wandmenu.bin"));
    return status;
}
