// How large a mounted volume is and how much room it has left: what the system tells, or, where
// its driver tells nothing, what the FAT32 volume's own device or image says.
#pragma once

#include <QString>
#include <QtGlobal>

class VolumeRoom
{
public:
    qint64 capacity = 0; // bytes; 0 when not known
    // What a copy may fill. Where the capacity is unknown, what the system says all the same (0
    // for fusefat); -1 when the volume cannot be asked at all.
    qint64 freeBytes = -1;
    qint64 cluster = 1; // the volume's allocation unit

    bool isKnown() const { return capacity > 0; }

    // The room of the volume holding path (its mount point or any folder on it). Safe off the
    // GUI thread.
    static VolumeRoom of(const QString &path);

private:
    // The device (or the image a simulated stick stands for) holding the volume mounted at root,
    // "" when none can be named.
    static QString backingDevice(const QString &root);
};
