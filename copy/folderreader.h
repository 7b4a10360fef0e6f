// A folder's entries as the system's folder listing gives them: names and kinds without a look
// at each entry, size and modification time only for the files asked for, and stamps that say
// whether a folder's entries may have changed since it was read.
#pragma once

#include <QList>
#include <QString>

#include <functional>

struct stat;

class FolderReader
{
public:
    struct Entry
    {
        QString name;
        bool dir = false;
        bool link = false; // a symbolic link or other reparse point, followed for the rest
        bool hidden = false; // as QFileInfo::isHidden: a leading dot, or Windows' hidden mark
        qint64 size = -1; // files whose details were asked for only
        qint64 modified = -1; // the same, in ms since the epoch as QFileInfo gives it
    };

    class Stamps;
    struct Stamp;

    // The entries of dir but "." and "..": folders and files, links followed, as QDirIterator
    // lists them with QDir::Dirs | QDir::Files | QDir::Hidden (dangling links, devices, pipes
    // and sockets left out), in no order. detailsFor(name) says which files need their size
    // and modification time. False, with no entries, when dir cannot be read. With stamps,
    // stamp is set to the folder's stamp from before its entries were read.
    // filesWanted, where given, is a hint that may leave out the files it refuses before a
    // name is made of them: it sees the name as the system stores it (UTF-8 on Linux; the
    // Windows reader does not ask it), and must accept every file the caller would keep.
    using FileHint = bool (*)(const char *name);
    static bool read(const QString &dir, QList<Entry> &entries,
                     const std::function<bool(const QString &)> &detailsFor = {},
                     const Stamps *stamps = nullptr, Stamp *stamp = nullptr,
                     FileHint filesWanted = nullptr);

    // A file's size and modification time (links followed); false when it is not a file.
    static bool details(const QString &path, qint64 &size, qint64 &modified);

    // Equal valid stamps of a folder taken at two times mean that no entry was made, removed or
    // renamed in it between them.
    struct Stamp
    {
        quint64 device = 0, inode = 0;
        qint64 modifiedNs = 0, changedNs = 0, size = 0;
        bool isValid() const { return device != 0 || inode != 0; }
        bool operator==(const Stamp &o) const
        {
            return device == o.device && inode == o.inode && modifiedNs == o.modifiedNs
                && changedNs == o.changedNs && size == o.size;
        }
    };

    // Stamps of the folders of one volume. A stamp is invalid (never equal to one taken before)
    // where it cannot be trusted: on a file system whose driver does not date folders by their
    // changes or that others may change behind this computer's back (FUSE, network shares,
    // Windows' FAT), on another volume than root's, and for a folder changed within the last
    // few seconds: FAT dates changes to 2 seconds, so a second change may keep the time.
    class Stamps
    {
    public:
        explicit Stamps(const QString &root);
        Stamp of(const QString &dir) const;

    private:
        friend class FolderReader;
        Stamp judge(const struct stat &st) const; // of a folder's stat, where stat exists
        quint64 device = 0;
        quint64 rootInode = 0;
        bool trusted = false;
    };
};
