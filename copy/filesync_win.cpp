// Durability and chunk transfer on Windows, through the Win32 handles behind the files' C
// runtime descriptors. The system has no cache hints worth giving here and no kernel copy
// between two open handles, so those are left out and the buffer carries every chunk.
#include "copy/filesync.h"

#include <QDir>
#include <QFile>
#include <QString>

#include <io.h>
#include <windows.h>

namespace FileSync {

namespace {

HANDLE handleOf(QFile& file)
{
    return reinterpret_cast<HANDLE>(_get_osfhandle(file.handle()));
}

std::wstring native(const QString& path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

// Opens a file or a folder (which needs backup semantics) without keeping others out of it.
HANDLE openAny(const QString& path, DWORD access)
{
    return CreateFileW(native(path).c_str(), access,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

bool outOfSpace(DWORD error)
{
    return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL;
}

} // namespace

QByteArray stamp(const QString& path)
{
    WIN32_FILE_ATTRIBUTE_DATA info {};
    if (!GetFileAttributesExW(native(path).c_str(), GetFileExInfoStandard, &info))
        return {};
    const DWORD fields[] = { info.nFileSizeHigh, info.nFileSizeLow,
                             info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime };
    return QByteArray(reinterpret_cast<const char*>(fields), sizeof fields);
}

bool syncFile(QFile& file)
{
    const HANDLE handle = handleOf(file);
    return handle != INVALID_HANDLE_VALUE && FlushFileBuffers(handle);
}

void syncDirectory(const QString& dir)
{
    // FAT keeps names in its folders' own clusters; flushing the folder writes them out. File
    // systems that refuse a folder handle this right are left alone.
    const HANDLE handle = openAny(dir, GENERIC_WRITE);
    if (handle == INVALID_HANDLE_VALUE)
        return;
    FlushFileBuffers(handle);
    CloseHandle(handle);
}

bool settle(const QString& dir, const QStringList& moved)
{
    for (const QString& name : moved) {
        const HANDLE handle = openAny(dir + QLatin1Char('/') + name, GENERIC_WRITE);
        if (handle == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_NOT_FOUND)
            continue; // a part a repeated commit found moved and gone already
        if (handle == INVALID_HANDLE_VALUE)
            return false;
        const bool flushed = FlushFileBuffers(handle);
        CloseHandle(handle);
        if (!flushed)
            return false;
    }
    syncDirectory(dir);
    return true;
}

bool syncVolume(const QString& path)
{
    wchar_t root[MAX_PATH] = {};
    if (!GetVolumePathNameW(native(path).c_str(), root, MAX_PATH))
        return false;
    // "E:\" names the folder; "\\.\E:" the volume itself.
    std::wstring volume = root;
    if (volume.size() == 3 && volume[1] == L':')
        volume = L"\\\\.\\" + volume.substr(0, 2);
    const HANDLE handle = CreateFileW(volume.c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                      nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        // Flushing a whole volume needs an administrator. Windows mounts removable sticks for
        // quick removal, writing through its cache, and every file Discshelf writes is flushed
        // on its own; the volume still answering is what is left to know.
        return GetLastError() == ERROR_ACCESS_DENIED
            && GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0);
    }
    const bool synced = FlushFileBuffers(handle);
    CloseHandle(handle);
    return synced;
}

void adviseSequential(QFile&) { }

void readAhead(QFile&, qint64, qint64) { }

void startWriteback(QFile&, qint64, qint64) { }

void waitWriteback(QFile&, qint64, qint64) { }

void dropCache(QFile&) { }

void dropCache(QFile&, qint64, qint64) { }

bool replace(const QString& from, const QString& to)
{
    return MoveFileExW(native(from).c_str(), native(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

Transfer transferChunk(QFile& source, QFile& dest, char* buffer, qint64 size, bool& inKernel)
{
    inKernel = false;
    const HANDLE in = handleOf(source);
    const HANDLE out = handleOf(dest);
    // Read the chunk whole, then write it whole.
    qint64 got = 0;
    while (got < size) {
        DWORD n = 0;
        const DWORD want = DWORD(qMin<qint64>(size - got, 1 << 30));
        if (!ReadFile(in, buffer + got, want, &n, nullptr) || n == 0)
            return Transfer::SourceShort;
        got += n;
    }
    qint64 written = 0;
    while (written < size) {
        DWORD n = 0;
        const DWORD want = DWORD(qMin<qint64>(size - written, 1 << 30));
        if (!WriteFile(out, buffer + written, want, &n, nullptr)) {
            const DWORD error = GetLastError();
            return error == ERROR_FILE_TOO_LARGE ? Transfer::TooLarge
                : outOfSpace(error)              ? Transfer::NoRoom
                                                 : Transfer::WriteFailed;
        }
        if (n == 0)
            return Transfer::WriteFailed;
        written += n;
    }
    return Transfer::Done;
}

} // namespace FileSync
