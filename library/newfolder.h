// Making a folder on the stick: which names its FAT volume can hold, why others cannot be, and
// the folder itself.
#pragma once

#include <QCoreApplication>
#include <QString>

class DeviceFolder;

class NewFolder
{
    Q_DECLARE_TR_FUNCTIONS(NewFolder)
public:
    enum class Problem {
        None,
        Empty,
        Dots,              // "." and ".." name folders that are there already
        ForbiddenCharacter, // \ / : * ? " < > | or a control character
        TrailingDotOrSpace,
        TooLong,           // over 255 characters
        Reserved,          // a name Windows keeps for a device: CON, NUL.txt, ...
        Exists,            // a file or folder of that name, in any letter case
        NotMade,           // the volume refused
    };

    // What stops FAT from holding name, or None; the rules are FatName's.
    static Problem check(const QString &name);
    // The problem in words, for the user.
    static QString reason(Problem problem);
    // Makes the folder name inside parent on the device.
    static Problem make(const QString &deviceRoot, const DeviceFolder &parent, const QString &name);
    // Makes folder and whichever folders above it are missing, each name checked before any
    // is made; None when it is there already. A file in the way is Exists.
    static Problem makePath(const QString &deviceRoot, const DeviceFolder &folder);
};
