// Deleting a folder from the stick with everything in it: what goes (its images, the files
// they are stored in, the room freed) is told before, and a folder a copy is writing into,
// or one holding the stick's config, is never touched.
#pragma once

#include <QString>
#include <QStringList>

class FolderDeletion
{
public:
    struct Plan
    {
        QString folder; // from the device root, "/linux"
        QStringList images; // the images inside, as people know them ("/linux/big.iso")
        int files = 0; // every file inside, the images' parts and anything else
        qint64 bytes = 0; // what they take up
        QString bootImage; // the boot choice, when it lies inside; "" otherwise
        bool busy = false; // a copy is under way inside
        bool found = false; // the folder is there and may go (not the root, not config)
    };

    static Plan plan(const QString &root, const QString &folderPath);
    // Removes the folder and everything below it unless the plan is busy or not found; gives
    // what could not be removed (paths from the root).
    static QStringList remove(const QString &root, const Plan &plan);
};
