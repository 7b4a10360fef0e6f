// Why a copy failed, as the worker and the queue report it, with the words the user reads. The
// numbers are those the window has always shown; anything else is an unknown failure.
#pragma once

#include <QString>

enum class CopyError {
    CreatePath = 1,
    OpenDestination = 2,
    OpenSource = 3,
    WriteDestination = 4,
    ReadSource = 5,
    RenameTemporary = 6,
    // Beyond the original six: a copy that read back differently, a device that went away, a
    // device without room, a file larger than the device's file system takes, a source that
    // changed while it was copied.
    VerifyMismatch = 7,
    DeviceGone = 8,
    DeviceFull = 9,
    FileTooLarge = 10,
    SourceChanged = 11,
    // The checksum published beside the image (or given for it) disagrees with the copy, a
    // checksum file that may name it cannot be read, or names it twice with different hashes.
    ChecksumMismatch = 12,
    ChecksumUnreadable = 13,
    ChecksumConflict = 14,
    // An image downloaded from an address that did not arrive: the network, the server, or a
    // name the device cannot take.
    DownloadFailed = 15,
};

namespace CopyErrors {

// The message for a failure, "Uknown" for a number no failure has. sums: the checksum file a
// checksum failure is about, empty for a hash the user gave.
QString message(CopyError error, const QString &sums = QString());
QString message(int code);
// Whether a copy that failed this way may have left its temporary file on the device: only
// failures before anything was written leave nothing, since a volume that vanished mid-copy
// cannot be cleaned by the worker.
bool mayLeaveTemporary(CopyError error);

} // namespace CopyErrors
