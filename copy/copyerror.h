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
};

namespace CopyErrors {

// The message for a failure, "Uknown" for a number no failure has.
QString message(CopyError error);
QString message(int code);
// Whether a copy that failed this way may have left its temporary file on the device: only
// failures before anything was written leave nothing, since a volume that vanished mid-copy
// cannot be cleaned by the worker.
bool mayLeaveTemporary(CopyError error);

} // namespace CopyErrors
