// Through QFile, unbuffered: Windows has no cheaper way worth a second copy of this. A folder's
// files are found by their whole paths.
#include "copy/filehead.h"

#include "copy/folderreader.h"

#include <QFile>
#include <QFileInfo>

int FileHead::read(const QString &path, qint64 offset, char *into, int length)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered) || !file.seek(offset))
        return -1;
    return int(file.read(into, length));
}

FileHead::Folder::Folder(const QString &path)
    : path(path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/'))
{ }

FileHead::Folder::~Folder() = default;

bool FileHead::Folder::details(const QString &name, qint64 &size, qint64 &modified) const
{
    return FolderReader::details(path + name, size, modified);
}

FileHead::Folder::File FileHead::Folder::open(const QString &name) const
{
    File file;
    file.path = path + name;
    if (FolderReader::details(file.path, file.size, file.modified))
        file.state = File::State::Open;
    else if (QFileInfo::exists(file.path))
        file.state = File::State::NoFile;
    return file;
}

FileHead::Folder::File::File(File &&other) noexcept
    : state(other.state)
    , size(other.size)
    , modified(other.modified)
    , path(std::move(other.path))
{ }

FileHead::Folder::File::~File() = default;

int FileHead::Folder::File::read(qint64 offset, char *into, int length) const
{
    return state == State::Open ? FileHead::read(path, offset, into, length) : -1;
}
