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

        // A file of the folder opened for its head: its details, as details() gives them, come
        // from the same look at it, and a head is read only where they make it worth it.
        class File
        {
        public:
            enum class State { Open, Missing, NoFile }; // Missing: or cannot be opened
            File(File &&other) noexcept;
            ~File();
            State state = State::Missing;
            qint64 size = -1;
            qint64 modified = -1;
            // As FileHead::read, of an Open file.
            int read(qint64 offset, char *into, int length) const;

        private:
            friend class Folder;
            File() = default;
            int fd = -1; // where the system gives a handle
            QString path;
        };

        // A regular file's size and modification time (ms since the epoch, as QFileInfo
        // gives it), links followed; false when name is no such file (any more).
        bool details(const QString &name, qint64 &size, qint64 &modified) const;
        File open(const QString &name) const;

    private:
        QString path; // with a separator at its end
        int fd = -1;
    };
};
