// The few platform calls the copy worker needs beyond QFile: making data durable, read-ahead,
// writeback and cache hints, renaming over a file, and moving one chunk from one open file to
// another. filesync_linux.cpp provides them with POSIX calls and copy_file_range(2). A Windows
// build provides them in filesync_win.cpp: FlushFileBuffers on the file's handle for syncFile
// and on a folder opened with FILE_FLAG_BACKUP_SEMANTICS for syncDirectory, on the file opened
// by name for settle, on the opened volume for syncVolume, MoveFileEx with
// MOVEFILE_REPLACE_EXISTING and MOVEFILE_WRITE_THROUGH for replace, no-ops for the hints, and a
// transfer through the buffer with QFile::read and QFile::write.
#pragma once

#include <QStringList>
#include <QByteArray>
#include <QtGlobal>

class QFile;
class QString;

namespace FileSync {

// True once everything written to file is on the device.
bool syncFile(QFile& file);

// Makes renames inside dir durable; a file system that cannot sync a folder is left alone.
void syncDirectory(const QString& dir);

// Makes what was just done in dir durable: the files renamed into it (moved, names in dir)
// under their new names, removals, and the volume's own bookkeeping. FAT keeps a file's first
// cluster and size in its folder entry, which Linux writes out only with the file itself:
// syncing the folder leaves a renamed file empty or pointing at freed clusters. Linux syncs the
// whole volume once, which also writes the count of free clusters that FAT32 keeps aside; Windows
// flushes each moved file and the folder.
bool settle(const QString& dir, const QStringList& moved);

// Writes everything cached for the volume that path lies on to its device; false when the
// volume cannot be reached or reports an error.
bool syncVolume(const QString& path);

// The whole file will be read once, front to back.
void adviseSequential(QFile& file);

// The range will be read soon: the system may start reading it now.
void readAhead(QFile& file, qint64 offset, qint64 length);

// Hands the range to writeback without waiting for it.
void startWriteback(QFile& file, qint64 offset, qint64 length);

// Waits until the range handed to writeback earlier is on the device.
void waitWriteback(QFile& file, qint64 offset, qint64 length);

// Forgets the file's cached pages, so that reading it again asks the device.
void dropCache(QFile& file);
// The same for the whole pages within a range that is on the device.
void dropCache(QFile& file, qint64 offset, qint64 length);

// Renames from to to, replacing a file of that name in one step.
bool replace(const QString& from, const QString& to);


// What tells one state of the file at path from another: its size, modification time and,
// where the system tells it, its identity on its volume (a file put in its place differs).
// Empty when the file cannot be looked at.
QByteArray stamp(const QString& path);

enum class Transfer {
    Done,
    SourceShort, // the source ended early or could not be read
    WriteFailed,
    NoRoom,      // the destination's volume is full
    TooLarge,    // the destination's file system (or a limit on this process) takes no larger file
};

// Moves the next size bytes of source to the end of what was written to dest, through buffer
// (at least size bytes) or inside the kernel. inKernel says whether to try the kernel's own
// copy; it is cleared when that fails for this pair of files, and the copy goes on through the
// buffer. Both files must be opened unbuffered and be read and written through this only.
Transfer transferChunk(QFile& source, QFile& dest, char* buffer, qint64 size, bool& inKernel);

} // namespace FileSync
