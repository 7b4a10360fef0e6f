// Image headers kept by path, size and modification time while the program runs, so listing an
// unchanged stick again, or a drop of images already looked at, reads no image.
#pragma once

#include "copy/isoimageinfo.h"

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
};
