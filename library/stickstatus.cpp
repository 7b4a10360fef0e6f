#include "library/stickstatus.h"

#include "detect/scsidrivedetector.h"

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
    return read(detector.discwand());
}

StickStatus StickStatus::read(const Discwand &stick)
{
    StickStatus status;
    status.root = stick.root();
    const Discwand::Access access = stick.access();
    status.present = access != Discwand::Access::Gone;
    if (!status.present)
        return status;
    status.label = stick.label();
    status.fileSystem = stick.fileSystem();
    const VolumeRoom room = stick.room();
    status.capacity = room.capacity;
    status.freeBytes = room.isKnown() ? room.freeBytes : 0;
    if (status.label.isEmpty())
        status.label = QStorageInfo(status.root).name();
    status.readOnly = access == Discwand::Access::ReadOnly;
    status.mountReadOnly = status.readOnly && stick.isVolumeDirty();
    status.bootImage = readBootImage(status.root);
    status.selectorPresent = QFile::exists(status.root + QStringLiteral("config/wandmenu.bin"));
    return status;
}
