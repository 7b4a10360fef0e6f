// Fuzzes the mount-table reader: mount points come from whoever mounted a volume, with the
// kernel's octal escapes.
#include "detect/systemdescription.h"

#include <QByteArray>
#include <QFile>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray table(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const SystemDescription::Mount &m : SystemDescription::parseMountTable(table)) {
        // A mount point kept is one this system spells back exactly: writes go to that folder.
        if (QFile::decodeName(QFile::encodeName(m.mountPoint)) != m.mountPoint)
            __builtin_trap();
    }
    // Decoding escapes never makes a path longer.
    if (SystemDescription::unescapeMountPath(table).size() > table.size())
        __builtin_trap();
    return 0;
}
