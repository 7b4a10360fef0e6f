// Folder reading with FindFirstFileEx: the listing itself carries each entry's kind, size,
// time and hidden mark, so no entry is looked at again. Windows' FAT driver does not date a
// folder by the changes to its entries, so no stamp is trusted here.
#include "copy/folderreader.h"

#include <QDir>
#include <QFileInfo>

#include <windows.h>

namespace {

// FILETIME counts 100 ns steps from 1601; QFileInfo gives ms from 1970.
qint64 msOf(const FILETIME &t)
{
    const qint64 ticks = (qint64(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    return (ticks - 116444736000000000LL) / 10000;
}

} // namespace

bool FolderReader::read(const QString &dir, QList<Entry> &entries,
                        const std::function<bool(const QString &)> &detailsFor,
                        const Stamps *stamps, Stamp *stamp, FileHint filesWanted)
{
    Q_UNUSED(stamps);
    Q_UNUSED(filesWanted);
    entries.clear();
    if (stamp)
        *stamp = Stamp();
    QString pattern = QDir::toNativeSeparators(dir);
    if (!pattern.endsWith(QLatin1Char('\\')))
        pattern += QLatin1Char('\\');
    pattern += QLatin1Char('*');
    WIN32_FIND_DATAW found;
    const HANDLE search
        = FindFirstFileExW(reinterpret_cast<const wchar_t *>(pattern.utf16()), FindExInfoBasic,
                           &found, FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_NOT_FOUND; // an empty drive's root has no "."
    do {
        const QString name = QString::fromWCharArray(found.cFileName);
        if (name == QLatin1String(".") || name == QLatin1String(".."))
            continue;
        Entry entry;
        entry.name = name;
        entry.hidden = found.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN;
        entry.link = found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT;
        if (entry.link) {
            // Where a link leads is for the system to say, as QFileInfo asks it.
            const QFileInfo target(dir + QLatin1Char('/') + name);
            if (!target.exists() || (!target.isDir() && !target.isFile()))
                continue;
            entry.dir = target.isDir();
            if (!entry.dir && detailsFor && detailsFor(name)) {
                entry.size = target.size();
                entry.modified = target.lastModified().toMSecsSinceEpoch();
            }
        } else {
            entry.dir = found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
            if (!entry.dir && detailsFor && detailsFor(name)) {
                entry.size = (qint64(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
                entry.modified = msOf(found.ftLastWriteTime);
            }
        }
        entries.append(std::move(entry));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return true;
}

bool FolderReader::details(const QString &path, qint64 &size, qint64 &modified)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return false;
    size = info.size();
    modified = info.lastModified().toMSecsSinceEpoch();
    return true;
}

FolderReader::Stamps::Stamps(const QString &root)
{
    Q_UNUSED(root);
}

FolderReader::Stamp FolderReader::Stamps::of(const QString &dir) const
{
    Q_UNUSED(dir);
    return {};
}
