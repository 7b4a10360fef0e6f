#include "detect/fatroom.h"

#include <QFile>
#include <QtEndian>

namespace {

constexpr qint64 minFat32Clusters = 65525;
// The FAT is read in pieces of this size, so a large volume does not need its whole FAT in memory.
constexpr qint64 piece = 1 << 20;

} // namespace

std::optional<FatRoom> FatRoom::read(const QString &devicePath)
{
    QFile device(devicePath);
    if (!device.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray boot = device.read(512);
    if (boot.size() < 512 || quint8(boot[510]) != 0x55 || quint8(boot[511]) != 0xAA)
        return std::nullopt;
    const auto *b = reinterpret_cast<const uchar *>(boot.constData());
    const qint64 sectorSize = qFromLittleEndian<quint16>(b + 11);
    const qint64 perCluster = b[13];
    const qint64 reserved = qFromLittleEndian<quint16>(b + 14);
    const qint64 fats = b[16];
    const qint64 rootEntries = qFromLittleEndian<quint16>(b + 17);
    const qint64 sectors16 = qFromLittleEndian<quint16>(b + 19);
    const qint64 fat16Size = qFromLittleEndian<quint16>(b + 22);
    const qint64 sectors = sectors16 ? sectors16 : qint64(qFromLittleEndian<quint32>(b + 32));
    const qint64 fatSize = qFromLittleEndian<quint32>(b + 36);
    const bool powerOfTwo = perCluster > 0 && (perCluster & (perCluster - 1)) == 0;
    // FAT32 says so by a root folder with no fixed size and a FAT size in the 32-bit field.
    if (sectorSize < 512 || sectorSize > 4096 || (sectorSize & (sectorSize - 1)) || !powerOfTwo
        || reserved == 0 || fats == 0 || rootEntries != 0 || fat16Size != 0 || fatSize == 0)
        return std::nullopt;
    const qint64 dataSectors = sectors - reserved - fats * fatSize;
    const qint64 clusters = dataSectors / perCluster;
    // The FAT must hold an entry for every cluster and the two it reserves.
    if (dataSectors <= 0 || clusters < minFat32Clusters
        || (clusters + 2) * 4 > fatSize * sectorSize)
        return std::nullopt;

    FatRoom room;
    room.cluster = sectorSize * perCluster;
    room.capacity = clusters * room.cluster;
    qint64 freeClusters = 0;
    const qint64 fatStart = reserved * sectorSize;
    const qint64 fatBytes = (clusters + 2) * 4;
    for (qint64 at = 8; at < fatBytes; at += piece) {
        if (!device.seek(fatStart + at))
            return std::nullopt;
        const QByteArray entries = device.read(qMin(piece, fatBytes - at));
        if (entries.size() != qMin(piece, fatBytes - at))
            return std::nullopt;
        const auto *e = reinterpret_cast<const uchar *>(entries.constData());
        for (qint64 i = 0; i + 4 <= entries.size(); i += 4)
            freeClusters += (qFromLittleEndian<quint32>(e + i) & 0x0FFFFFFF) == 0;
    }
    room.freeBytes = freeClusters * room.cluster;
    return room;
}
