// Only the fields the listing reads are filled: the descriptor types, their "CD001" mark, the
// volume label and the boot system's name.
#include "common/isohead.h"

QByteArray IsoHead::bootable(const QByteArray &label)
{
    constexpr int sector = 2048;
    QByteArray head(18 * sector, '\0');
    const auto descriptor = [&](int at, char type) {
        head[at] = type;
        head.replace(at + 1, 5, "CD001");
    };
    descriptor(16 * sector, 1);
    head.replace(16 * sector + 40, label.size(), label);
    descriptor(17 * sector, 0);
    head.replace(17 * sector + 7, 23, "EL TORITO SPECIFICATION");
    return head;
}
