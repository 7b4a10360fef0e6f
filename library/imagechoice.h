// Choosing the image the device loads: its path goes into config/iso_filename.txt, one byte per
// character (Latin-1) and no line ending, as the device reads it. The file is replaced whole:
// written beside, synced, renamed over and read back, so that a full stick or a pull at the
// wrong moment leaves the previous choice.
#pragma once

#include <QString>

class ScsiDriveDetector;

class ImageChoice
{
public:
    enum class Result {
        Written,
        NoDevice,
        DeviceGone,  // the device root no longer leads to the device's volume
        NotWritable,
        WriteFailed,
        NotLatin1,   // the device could not be told the name
    };

    explicit ImageChoice(const ScsiDriveDetector &detector) : detector(detector) {}

    // Makes the image at imagePath (from the device root, "/linux/a.iso" or a split image's
    // "/big.iso.0") the one the device loads: allowed(), then write().
    Result choose(const QString &imagePath) const;
    // Whether the choice may be written now: Written when it may.
    Result allowed(const QString &imagePath) const;
    // The write itself, below root, once allowed; it asks the finder nothing, so that it can
    // run in a thread of its own while the syncs wait for a slow stick, or follow a change that
    // was guarded before it began (a move the choice follows).
    static Result write(const QString &root, const QString &imagePath);

    // What the device is told: the image's path, a split image named without its part suffix.
    static QString bootName(const QString &imagePath);
    // What the user is told, in the window and on the command line: the choice written, or why
    // a name cannot be told to the device.
    static QString chosenText(const QString &imagePath);
    static QString notLatin1Text(const QString &imagePath);

    // The next choice as it is written beside the current one, from the device root; a choice
    // cut off before its rename leaves it behind.
    static const QString pendingPath;

private:
    const ScsiDriveDetector &detector;
};
