// Image headers kept by path, size and modification time while the program runs, so listing an
// unchanged stick again, or a drop of images already looked at, reads no image.
#pragma once

#include "copy/isoimageinfo.h"

#include <QList>

#include <optional>

class QFileInfo;
class QString;

class IsoHeaderCache
{
public:
    // The header of the image file, read from it only when it is new to the cache or its size
    // or modification time changed. file's own cached details are used as they are.
    static IsoImageInfo read(const QFileInfo &file);
    // The same for a file whose size and modification time (ms since the epoch, as QFileInfo
    // gives it) are known already.
    static IsoImageInfo read(const QString &path, qint64 size, qint64 modified);
    // The header as read before, when the file still has that size and time; nothing is read.
    static std::optional<IsoImageInfo> find(const QString &path, qint64 size, qint64 modified);
    // A copy put new images in place below dir.
    static void forgetBelow(const QString &dir);

    // For a caller that reads the headers of many images itself, with one lock for all of
    // them: recall() tells what the cache holds, keep() stores what was read instead.
    struct Image
    {
        QString path; // clean, as QDir::cleanPath gives it
        qint64 size = -1;
        qint64 modified = -1;
        IsoImageInfo info;
        bool held = false; // by the cache for path, with size and modified set as it was then
        bool read = false; // info read from the file, for size and modified, to be kept
    };
    static void recall(QList<Image> &images);
    static void keep(const QList<Image> &images);
};
