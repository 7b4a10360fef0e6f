// A few bytes read from a file at an offset, with as few calls to the system as it takes: a
// listing or a drop reads thousands of image headers.
#pragma once

#include <QByteArray>
#include <QString>

class FileHead
{
public:
    // Up to length bytes of the file at path from offset on; fewer where the file ends, nothing
    // when it cannot be read.
    static QByteArray read(const QString &path, qint64 offset, int length);
};
