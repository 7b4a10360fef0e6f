// A FAT32 volume's size and free room, read from its own device or image: for a mount whose
// driver tells no sizes (FUSE drivers such as fusefat report none).
#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

class FatRoom
{
public:
    qint64 capacity = 0; // bytes in the data clusters
    qint64 freeBytes = 0; // bytes in clusters no file or folder holds
    qint64 cluster = 0; // bytes in one cluster

    // The free room is counted in the first FAT, since the FSInfo sector's count is only a hint
    // that drivers leave stale. Nothing when the path cannot be read or holds no FAT32 volume.
    static std::optional<FatRoom> read(const QString &devicePath);
};
