// Folder reading with readdir(3): the kind of each entry comes with its name (d_type), so only
// links, file systems that give no kind, and the files whose details are asked for cost a stat.
#include "copy/folderreader.h"

#include <QFile>

#include <cerrno>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/vfs.h>
#include <time.h>
#include <unistd.h>

namespace {

// Seconds a folder's last change must lie back before its stamp is trusted: FAT's clock ticks
// every 2 seconds, and room is left for the clock being set a little back.
constexpr qint64 settleSeconds = 10;

qint64 msOf(const timespec &t)
{
    return qint64(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

qint64 nsOf(const timespec &t)
{
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// File systems whose kernel driver dates a folder whenever an entry is made, removed or
// renamed in it, and which nothing but this computer's kernel changes while mounted.
bool datesFolders(long type)
{
    switch (type) {
    case 0x4d44: // FAT (vfat, msdos)
    case 0x2011BAB0: // exFAT
    case 0xEF53: // ext2, ext3, ext4
    case 0x01021994: // tmpfs
    case 0x9123683E: // btrfs
    case 0x58465342: // XFS
        return true;
    default:
        return false;
    }
}

// Adds the entry named raw to entries unless the listing leaves it out.
void take(int fd, const char *raw, unsigned char type, QList<FolderReader::Entry> &entries,
          const std::function<bool(const QString &)> &detailsFor,
          FolderReader::FileHint filesWanted)
{
    if (raw[0] == '.' && (raw[1] == 0 || (raw[1] == '.' && raw[2] == 0)))
        return;
    // Most files of a folder are of no interest: no name is made of them.
    if (type == DT_REG && filesWanted && !filesWanted(raw))
        return;
    FolderReader::Entry entry;
    struct stat st;
    bool known = false; // st holds the entry's target
    if (type == DT_UNKNOWN || type == DT_LNK) {
        if (fstatat(fd, raw, &st, AT_SYMLINK_NOFOLLOW) != 0)
            return;
        entry.link = S_ISLNK(st.st_mode);
        if (entry.link && fstatat(fd, raw, &st, 0) != 0)
            return; // dangling
        known = true;
        type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : DT_UNKNOWN;
        if (type == DT_REG && filesWanted && !filesWanted(raw))
            return;
    }
    entry.name = QString::fromUtf8(raw); // as QFile::decodeName, which Qt 6 reads as UTF-8
    entry.hidden = raw[0] == '.';
    if (type == DT_DIR) {
        entry.dir = true;
    } else if (type == DT_REG) {
        if (detailsFor && detailsFor(entry.name)) {
            if (!known && fstatat(fd, raw, &st, 0) != 0)
                return; // gone meanwhile
            if (!S_ISREG(st.st_mode))
                return;
            entry.size = st.st_size;
            entry.modified = msOf(st.st_mtim);
        }
    } else {
        return; // devices, pipes, sockets
    }
    entries.append(std::move(entry));
}

} // namespace

bool FolderReader::read(const QString &dir, QList<Entry> &entries,
                        const std::function<bool(const QString &)> &detailsFor,
                        const Stamps *stamps, Stamp *stamp, FileHint filesWanted)
{
    entries.clear();
    // Listing a folder writes nothing to the stick: no access date where the owner can say so.
    const QByteArray path = QFile::encodeName(dir);
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
    int fd = ::open(path.constData(), flags | O_NOATIME);
    if (fd < 0 && errno == EPERM)
        fd = ::open(path.constData(), flags);
    if (fd < 0)
        return false;
    if (stamps && stamp) {
        struct stat st;
        *stamp = fstat(fd, &st) == 0 ? stamps->judge(st) : Stamp();
    }
    // getdents64 straight into a buffer of this thread's: readdir(3) would allocate one of the
    // same size for every folder.
    thread_local QByteArray buffer(32768, Qt::Uninitialized);
    for (;;) {
        const ssize_t got = getdents64(fd, buffer.data(), size_t(buffer.size()));
        if (got <= 0) {
            ::close(fd);
            if (got < 0)
                entries.clear();
            return got == 0;
        }
        for (ssize_t at = 0; at < got;) {
            const auto *d = reinterpret_cast<const dirent64 *>(buffer.constData() + at);
            at += d->d_reclen;
            take(fd, d->d_name, d->d_type, entries, detailsFor, filesWanted);
        }
    }
}

bool FolderReader::details(const QString &path, qint64 &size, qint64 &modified)
{
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    size = st.st_size;
    modified = msOf(st.st_mtim);
    return true;
}

FolderReader::Stamps::Stamps(const QString &root)
{
    const QByteArray path = QFile::encodeName(root);
    struct statfs fs;
    struct stat st;
    if (::statfs(path.constData(), &fs) != 0 || ::stat(path.constData(), &st) != 0)
        return;
    device = st.st_dev;
    rootInode = st.st_ino;
    trusted = datesFolders(fs.f_type);
}

FolderReader::Stamp FolderReader::Stamps::of(const QString &dir) const
{
    if (!trusted)
        return {};
    struct stat st;
    if (::stat(QFile::encodeName(dir).constData(), &st) != 0)
        return {};
    return judge(st);
}

FolderReader::Stamp FolderReader::Stamps::judge(const struct stat &st) const
{
    if (!trusted || !S_ISDIR(st.st_mode) || st.st_dev != device)
        return {};
    // FAT's root folder has no dates of its own and the same inode on every stick.
    if (st.st_ino == rootInode || st.st_mtim.tv_sec == 0)
        return {};
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    // A later change of entries dates the folder anew, on a tick past this one; the change time
    // (which no program can set) catches a date set back by hand.
    if (st.st_mtim.tv_sec > now.tv_sec - settleSeconds)
        return {};
    Stamp stamp;
    stamp.device = st.st_dev;
    stamp.inode = st.st_ino;
    stamp.modifiedNs = nsOf(st.st_mtim);
    stamp.changedNs = nsOf(st.st_ctim);
    stamp.size = st.st_size;
    return stamp;
}
