// Renaming and moving an image (every file of it, split or not) or a folder on the stick. All
// is checked before anything changes: the new name by FAT's rules, the place free in any letter
// case, no copy under way where the move reaches, and a boot choice that can follow (it names
// the image, or a path through the folder, in Latin-1). The move itself goes through a journal.
#pragma once

#include "copy/fatname.h"
#include "library/movejournal.h"

#include <QCoreApplication>
#include <QString>

class StickMove
{
    Q_DECLARE_TR_FUNCTIONS(StickMove)
public:
    enum class Problem {
        None,
        BadName, // FAT cannot hold the new name: nameProblem says why
        NotIsoName, // an image's new name must end in ".iso" to stay an image
        NotFound,
        NoFolder, // the folder moved into is not there
        Exists, // something there has the name, in any letter case
        IntoItself, // a folder into itself or a folder below it
        Config, // the device's own config folder is neither moved nor moved into
        Busy, // a copy is under way in a folder the move reaches
        NotLatin1, // the boot choice could not follow: the device is told names in Latin-1
        Failed, // the volume refused; nothing changed
    };

    struct Plan
    {
        Problem problem = Problem::None;
        FatName::Problem nameProblem = FatName::Problem::None;
        bool folder = false;
        MoveJournal journal;
        QString to; // the new path, as the tree names it (a split image without ".0")
    };

    // What moving the image or folder at path to newPath would do. path is a row's path ("/a/
    // big.iso.0" or "/a/big.iso" for a split image, "/a/b" for a folder), newPath the whole new
    // path ("/c/new.iso", "/c/b").
    static Plan plan(const QString &root, const QString &path, const QString &newPath);
    // The plans of a rename in place and of a move into the folder "into" (from the root).
    static Plan renamePlan(const QString &root, const QString &path, const QString &newName);
    static Plan movePlan(const QString &root, const QString &path, const QString &into);
    // Carries a plan without problem out; Failed or None.
    static Problem run(const QString &root, const Plan &plan);

    static QString reason(const Plan &plan);

private:
    // The steps that move the folder at from to the folder to, file by file into folders made
    // anew, the old ones removed after: not every FAT driver carries a folder's entries along
    // when the folder itself is renamed.
    static void folderSteps(const QString &root, const QString &from, const QString &to,
                            QList<MoveJournal::Step> *steps);
};
