#include "library/isoimageinfo.h"

#include <QFile>

namespace {

constexpr int sector = 2048;
constexpr int primarySector = 16;
constexpr int bootSector = 17;

bool isDescriptor(const QByteArray &head, int at, char type)
{
    return head.size() >= at + sector && head.at(at) == type && head.mid(at + 1, 5) == "CD001";
}

// "YYYYMMDDHHMMSScc" followed by the offset from GMT in 15-minute steps.
QDateTime readDate(const QByteArray &field)
{
    const QDateTime local = QDateTime::fromString(QString::fromLatin1(field.left(14)),
                                                  QStringLiteral("yyyyMMddHHmmss"));
    if (!local.isValid())
        return {};
    const int quarters = static_cast<signed char>(field.at(16));
    return QDateTime(local.date(), local.time(), Qt::OffsetFromUTC, quarters * 15 * 60);
}

} // namespace

IsoImageInfo IsoImageInfo::parse(const QByteArray &head)
{
    IsoImageInfo info;
    const int primary = primarySector * sector;
    if (!isDescriptor(head, primary, 1))
        return info;
    info.iso9660 = true;
    info.label = QString::fromLatin1(head.mid(primary + 40, 32)).trimmed();
    info.created = readDate(head.mid(primary + 813, 17));
    // The boot record sits among the descriptors after the primary one; El Torito puts it at
    // sector 17.
    const int boot = bootSector * sector;
    info.bootable = isDescriptor(head, boot, 0)
        && head.mid(boot + 7, 23) == "EL TORITO SPECIFICATION";
    return info;
}

IsoImageInfo IsoImageInfo::read(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return parse(file.read((bootSector + 1) * sector));
}
