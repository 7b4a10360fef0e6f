// One stick found: its mount point and what tells its volume from any other there, and the one
// place that turns a path on the stick into a file path and says whether a write may go ahead.
// The finder reports it; whatever reads or writes the stick asks it.
#pragma once

#include "detect/volumeroom.h"

#include <QString>
#include <QtGlobal>

class ScsiDriveDetector;

class Discwand
{
public:
    Discwand() = default;
    Discwand(const ScsiDriveDetector *finder, QString root, QString volume);

    bool isNull() const { return rootPath.isEmpty(); }
    // The mount point with a final "/" ("/media/stick/", "E:/").
    QString root() const { return rootPath; }
    // The serial, or the device number, of its volume.
    QString volume() const { return serial; }
    // The volume's label, asked of the system each time; "" when it has none.
    QString label() const;
    // Its file system as the system names it ("FAT32"), "" when it cannot be asked.
    QString fileSystem() const;
    // The volume wants a check of its file system; on Linux, it is mounted read-only though the
    // disk is writable, as the kernel does after finding errors.
    bool isVolumeDirty() const;
    // Its size and the room left, asked afresh.
    VolumeRoom room() const;
    // Called so by a person or a script: its serial, its mount point (with or without the final
    // separator) or its label, letter case aside.
    bool isCalled(const QString &name) const;

    enum class Access { Writable, Gone, ReadOnly };
    // The write guard: the root still leads to this stick's volume, and its switch lets writes
    // through. Asked before every change to the stick.
    Access access() const;

    // A path on the stick ("/linux/a.iso", "linux/"): names only, none "." or "..", no drive,
    // no backslash. Empty names between separators are dropped.
    static bool isStickPath(const QString &path);
    // The file path of a path on the stick, "" when it is refused or leads off the stick's
    // volume: through a link, or into another file system mounted below the root. What does not
    // exist yet is judged by the part that does.
    QString filePath(const QString &stickPath) const;

    // What tells one mounted file system from another, 0 when path cannot be reached (a volume
    // that has gone away).
    static quint64 fileSystemOf(const QString &path);

private:

    const ScsiDriveDetector *finder = nullptr;
    QString rootPath;
    QString serial;
};
