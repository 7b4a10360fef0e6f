// Compiled-in identity of the device and of the maker; nothing else is configurable. It sits
// with detection, at the bottom of the include graph, so that every area can name them.
#pragma once

#include <QString>

namespace Discshelf {

inline const QString vendorName = QStringLiteral("QUELLOR");
inline const QString productName = QStringLiteral("DISCWAND FLASH");
inline const QString supportAddress = QStringLiteral("support@quellor-makeworth.com");
inline const QString downloadAddress = QStringLiteral("http://quellor-makeworth.com/wandmenu.bin");
// Shown to the user for fetching the selector program by hand.
inline const QString manualDownloadAddress = downloadAddress;

} // namespace Discshelf
