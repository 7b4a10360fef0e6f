// The stick's problems, found from a listing and its status, each with its repair where one is
// safe: leftovers of interrupted copies, split images with parts missing or of odd sizes, a
// boot choice naming an image that is not there, images that will not boot, a missing selector
// program, a file system the system made read-only after errors, a record naming an image that is
// gone. Nothing is repaired unless asked.
#pragma once

#include "library/isolisting.h"
#include "library/stickstatus.h"

#include <QList>
#include <QString>
#include <QStringList>

struct StickProblem
{
    enum class Kind {
        Leftover,
        BrokenImage,
        BootImageMissing,
        WillNotBoot,
        SelectorMissing,
        // The same name as one file and as parts: which one is meant only people can tell.
        DoubledImage,
        // Files of a copy that is running now: no leftover, and no repair for them.
        CopyUnderWay,
        FileSystemErrors,
        // The stick's record of verified images names one that is not on it.
        RecordedImageGone,
        // A check of the images found its bytes changed behind the same size and time.
        DamagedImage,
    };
    Kind kind;
    QString path; // from the device root: the leftover, the image or the boot choice
    QString text; // for people
    qint64 size = 0; // the bytes of the files named, what a removal frees
    QStringList files = {}; // what a removal takes, in the folder of path

    bool operator==(const StickProblem &o) const
    {
        return kind == o.kind && path == o.path && text == o.text && size == o.size
            && files == o.files;
    }

    // Removal of what is left or broken (or of a record's entry for an image that is gone):
    // the repairs that need only the user's yes.
    bool canRemove() const
    {
        return kind == Kind::Leftover || kind == Kind::BrokenImage
            || kind == Kind::RecordedImageGone || kind == Kind::DamagedImage;
    }
    // A missing boot image or selector, a file system's errors or a record's entry have no
    // files to measure.
    bool namesFiles() const
    {
        return kind != Kind::BootImageMissing && kind != Kind::SelectorMissing
            && kind != Kind::FileSystemErrors && kind != Kind::RecordedImageGone;
    }
};

class StickCheck
{
public:
    // kept: images the user chose to keep though they will not boot, paths from the device root.
    static QList<StickProblem> find(const IsoListing &listing, const StickStatus &status,
                                    const QStringList &kept = {});
    // Removes a leftover (a copy whose journal was written is seen through instead), the
    // numbered parts of a broken image or the files of a damaged one, those the problem names
    // and no other file. False when something could not go.
    static bool remove(const QString &deviceRoot, const StickProblem &problem);
};
