// Through QFile, unbuffered: Windows has no cheaper way worth a second copy of this. A folder's
// files are found by their whole paths.
#include "copy/filehead.h"

#include "copy/folderreader.h"

#include <QFile>

int FileHead::read(const QString &path, qint64 offset, char *into, int length)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered) || !file.seek(offset))
        return -1;
    return int(file.read(into, length));
}

FileHead::Folder::Folder(const QString &path)
    : path(path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/'))
{
}

FileHead::Folder::~Folder() = default;

bool FileHead::Folder::details(const QString &name, qint64 &size, qint64 &modified) const
{
    return FolderReader::details(path + name, size, modified);
}

int FileHead::Folder::read(const QString &name, qint64 offset, char *into, int length,
                           qint64 &size, qint64 &modified) const
{
    if (!details(name, size, modified)) {
        size = -1;
        return -1;
    }
    const int got = FileHead::read(path + name, offset, into, length);
    if (got < 0)
        size = -1;
    return got;
}
