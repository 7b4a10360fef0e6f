// Byte-range locks far past any data: Windows enforces its locks on reads and writes, so the
// locked byte lies where no copy, verification or listing ever reads. The handle lets others
// read, write, rename and delete the file meanwhile.
#include "copy/copylock.h"

#include <QDir>
#include <QFileInfo>

#include <windows.h>

namespace {

constexpr DWORD lockedHigh = 0x40000000; // the byte at 2^62

HANDLE openShared(const QString &path, DWORD access, DWORD disposition)
{
    return CreateFileW(QDir::toNativeSeparators(path).toStdWString().c_str(), access,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, disposition,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool lockByte(HANDLE file, DWORD flags)
{
    OVERLAPPED at {};
    at.OffsetHigh = lockedHigh;
    return LockFileEx(file, flags | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at);
}

void unlockByte(HANDLE file)
{
    OVERLAPPED at {};
    at.OffsetHigh = lockedHigh;
    UnlockFileEx(file, 0, 1, 0, &at);
}

} // namespace

bool CopyLock::open(const QString &path, bool create)
{
    release();
    const HANDLE file
        = openShared(path, GENERIC_READ | GENERIC_WRITE, create ? OPEN_ALWAYS : OPEN_EXISTING);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    handle = reinterpret_cast<qintptr>(file);
    return true;
}

bool CopyLock::lock(const QString &path)
{
    if (handle == -1)
        return false;
    const HANDLE file = reinterpret_cast<HANDLE>(handle);
    // A volume that cannot lock at all still takes copies, only unmarked.
    if (!lockByte(file, LOCKFILE_EXCLUSIVE_LOCK) && GetLastError() == ERROR_LOCK_VIOLATION) {
        CloseHandle(file);
        handle = -1;
        return false;
    }
    // A sweep deletes a file only while it holds its lock: a file deleted meanwhile waits only
    // for our handle to go (opened again it refuses, or it is another file), or its name is gone.
    FILE_STANDARD_INFO info {};
    BY_HANDLE_FILE_INFORMATION ours {}, named {};
    const HANDLE again = openShared(path, FILE_READ_ATTRIBUTES, OPEN_EXISTING);
    const bool same = again != INVALID_HANDLE_VALUE && GetFileInformationByHandle(file, &ours)
        && GetFileInformationByHandle(again, &named)
        && ours.dwVolumeSerialNumber == named.dwVolumeSerialNumber
        && ours.nFileIndexHigh == named.nFileIndexHigh && ours.nFileIndexLow == named.nFileIndexLow;
    if (again != INVALID_HANDLE_VALUE)
        CloseHandle(again);
    if (!same || !GetFileInformationByHandleEx(file, FileStandardInfo, &info, sizeof info)
        || info.DeletePending) {
        release();
        return false;
    }
    return true;
}

bool CopyLock::claim(const QString &path)
{
    if (!open(path, false)) {
        const DWORD why = GetLastError();
        return why == ERROR_FILE_NOT_FOUND || why == ERROR_PATH_NOT_FOUND;
    }
    return lock(path) || !QFileInfo::exists(path);
}

void CopyLock::release()
{
    if (handle == -1)
        return;
    const HANDLE file = reinterpret_cast<HANDLE>(handle);
    unlockByte(file);
    CloseHandle(file);
    handle = -1;
}

bool CopyLock::isHeld(const QString &path)
{
    const HANDLE file = openShared(path, GENERIC_READ, OPEN_EXISTING);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const bool free = lockByte(file, 0);
    const bool held = !free && GetLastError() == ERROR_LOCK_VIOLATION;
    if (free)
        unlockByte(file);
    CloseHandle(file);
    return held;
}
