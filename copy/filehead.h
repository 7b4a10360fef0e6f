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

    // A folder held open while the heads of many of its files are read: each file is then
    // found by its name alone rather than by a walk of its whole path. Usable from several
    // threads at once.
    class Folder
    {
    public:
        explicit Folder(const QString &path);
        ~Folder();
        Folder(const Folder &) = delete;
        Folder &operator=(const Folder &) = delete;

        // A regular file's size and modification time (ms since the epoch, as QFileInfo
        // gives it), links followed; false when name is no such file (any more).
        bool details(const QString &name, qint64 &size, qint64 &modified) const;
        // As FileHead::read for the file name in this folder, telling the file's details as
        // details() does, from the same look at it. Returns -1, with size -1, when the file
        // cannot be opened, and -2 when it is no regular file.
        int read(const QString &name, qint64 offset, char *into, int length, qint64 &size,
                 qint64 &modified) const;

    private:
        QString path; // with a separator at its end
        int fd = -1;
    };
};
