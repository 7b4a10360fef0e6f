// The file system a path lies on, by its volume's serial number.
#include "detect/discwand.h"

#include <QDir>

#include <windows.h>

quint64 Discwand::fileSystemOf(const QString &path)
{
    // Backup semantics open folders too; the handle keeps no one out.
    const HANDLE handle = CreateFileW(QDir::toNativeSeparators(path).toStdWString().c_str(), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return 0;
    BY_HANDLE_FILE_INFORMATION info {};
    const bool known = GetFileInformationByHandle(handle, &info);
    CloseHandle(handle);
    return known ? quint64(info.dwVolumeSerialNumber) + 1 : 0;
}
