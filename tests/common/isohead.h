// The first sectors of an ISO 9660 image as a machine would boot it: a primary volume
// descriptor with a label and an El Torito boot record, for tests that need a bootable image.
#pragma once

#include <QByteArray>

namespace IsoHead {

// 36 KiB: sixteen empty sectors, the primary descriptor, the boot record.
QByteArray bootable(const QByteArray &label);

} // namespace IsoHead
