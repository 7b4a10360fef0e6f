// A few bytes read from a file at an offset, with as few calls to the system as it takes: a
// listing or a drop reads thousands of image headers.
#pragma once

#include <QString>

class FileHead
{
public:
    // Reads up to length bytes of the file at path from offset on into into; fewer where the
    // file ends. Returns how many, -1 when the file cannot be read.
    static int read(const QString &path, qint64 offset, char *into, int length);
};
