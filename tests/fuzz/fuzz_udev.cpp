// Fuzzes the reader of udev's database entries (run/udev/data/b<major>:<minor>), which tell
// the file system type, version and label of a volume.
#include "detect/systemdescription.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray entry(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const char *key : {"ID_FS_TYPE", "ID_FS_VERSION", "ID_FS_LABEL", ""}) {
        const QByteArray value = SystemDescription::udevValue(entry, key);
        // A value is always a piece of one line of the entry.
        if (value.contains('\n') || (!value.isEmpty() && !entry.contains(value)))
            __builtin_trap();
    }
    return 0;
}
