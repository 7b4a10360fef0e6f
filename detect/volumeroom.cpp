#include "detect/volumeroom.h"

#include "detect/fatroom.h"

#include <QStorageInfo>

VolumeRoom VolumeRoom::of(const QString &path)
{
    VolumeRoom room;
    if (path.isEmpty())
        return room;
    const QStorageInfo storage(path);
    if (!storage.isValid() || !storage.isReady())
        return room;
    // Unknown, the room left still reads as the system tells it (none, for fusefat): a write
    // that fails there is taken for a full volume, as before.
    room.freeBytes = storage.bytesAvailable();
    if (storage.bytesTotal() > 0) {
        room.capacity = storage.bytesTotal();
        room.cluster = qMax(1, storage.blockSize());
        return room;
    }
    // A FUSE driver reporting no blocks: counted from the volume's FAT, which follows every
    // write as the driver makes it.
    // The stick's own root as its description spells it, else the mount the path lies on.
    QString device = backingDevice(path);
    if (device.isEmpty())
        device = backingDevice(storage.rootPath());
    if (const std::optional<FatRoom> fat
        = device.isEmpty() ? std::nullopt : FatRoom::read(device)) {
        room.capacity = fat->capacity;
        room.freeBytes = fat->freeBytes;
        room.cluster = fat->cluster;
    }
    return room;
}
