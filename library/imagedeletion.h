// Deleting from the stick: an image with every file it is stored in (each part of a split
// image, and nothing whose name merely looks alike), or an empty folder.
#pragma once

#include <QString>
#include <QStringList>

class ImageDeletion
{
public:
    struct Plan {
        QString folder;    // on the device, "/linux/"
        QStringList files; // names in that folder, as the volume spells them
        qint64 bytes = 0;  // what they take up
    };

    // What deleting the image at imagePath ("/linux/big.iso.0" for a split image) removes: the
    // image's name and every numbered part of it, in any letter case, as FAT compares names. A
    // name held both ways loses only the file, or only the parts, that imagePath names.
    static Plan plan(const QString &deviceRoot, const QString &imagePath);
    // Removes the plan's files; gives those that could not be removed.
    static QStringList remove(const QString &deviceRoot, const Plan &plan);
    // Removes the folder at folderPath ("/linux/old") when it holds nothing at all.
    static bool removeFolder(const QString &deviceRoot, const QString &folderPath);

    // The image is the one config/iso_filename.txt tells the device to load.
    static bool isBootImage(const QString &deviceRoot, const QString &imagePath);
};
