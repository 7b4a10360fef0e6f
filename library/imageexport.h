// Copying an image back from the stick to the computer: a split image arrives as one file, its
// parts joined in order. Written beside the destination under a hidden name, synced, read back
// and compared by SHA-256 with what was read from the stick; only then does it take its name.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class ImageExport
{
public:
    enum class Result {
        Done,
        NotFound, // a file of the image is missing
        ReadFailed, // the stick could not be read
        WriteFailed, // the destination could not be written (or is full)
        Mismatch, // what was written reads back other than what was read
        Stopped,
    };

    // files: the image's files in order (a single file, or its parts), full paths. progress is
    // called with the bytes done of the total (the writing, then the read-back, each counted
    // once) and returns false to stop.
    static Result save(const QStringList &files, const QString &dest,
                       const std::function<bool(qint64 done, qint64 total)> &progress,
                       QByteArray *digest = nullptr);
    // The hidden name a save writes to first, beside dest.
    static QString pendingName(const QString &dest);
};
