// Choosing the image the device loads: its path goes into config/iso_filename.txt, one byte per
// character and no line ending, as the device reads it.
#pragma once

#include <QString>

class ScsiDriveDetector;

class ImageChoice
{
public:
    enum class Result { Written, NoDevice, NotWritable, WriteFailed };

    explicit ImageChoice(const ScsiDriveDetector &detector) : detector(detector) {}

    // Makes the image at imagePath (from the device root, "/linux/a.iso" or a split image's
    // "/big.iso.0") the one the device loads.
    Result choose(const QString &imagePath) const;

    // What the device is told: the image's path, a split image named without its part suffix.
    static QString bootName(const QString &imagePath);

private:
    const ScsiDriveDetector &detector;
};
