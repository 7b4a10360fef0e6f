#include "copy/isoimageinfo.h"

#include "copy/filehead.h"

namespace {

constexpr int sector = 2048;
constexpr int primarySector = 16;
constexpr int bootSector = 17;
static_assert(IsoImageInfo::headOffset == primarySector * sector
              && IsoImageInfo::headLength == (bootSector - primarySector + 1) * sector);

// Views, not copies: a drop of thousands of images parses each one's header.
bool isDescriptor(QByteArrayView data, int at, char type)
{
    return data.size() >= at + sector && data.at(at) == type
        && data.sliced(at + 1, 5) == QByteArrayView("CD001");
}

// "YYYYMMDDHHMMSScc" followed by the offset from GMT in 15-minute steps. Read by hand: a
// parse through local time would look at the time zone for every image.
QDateTime readDate(QByteArrayView field)
{
    int digits[14];
    for (int i = 0; i < 14; ++i) {
        const char c = field.at(i);
        if (c < '0' || c > '9')
            return {};
        digits[i] = c - '0';
    }
    const auto number = [&](int at, int count) {
        int n = 0;
        for (int i = at; i < at + count; ++i)
            n = n * 10 + digits[i];
        return n;
    };
    const QDate date(number(0, 4), number(4, 2), number(6, 2));
    const QTime time(number(8, 2), number(10, 2), number(12, 2));
    if (!date.isValid() || !time.isValid())
        return {};
    const int quarters = static_cast<signed char>(field.at(16));
    return QDateTime(date, time, Qt::OffsetFromUTC, quarters * 15 * 60);
}

// descriptors: the image from sector 16 on, where its volume descriptors begin.
IsoImageInfo parseDescriptors(QByteArrayView descriptors)
{
    IsoImageInfo info;
    if (!isDescriptor(descriptors, 0, 1))
        return info;
    info.iso9660 = true;
    info.label = QString::fromLatin1(descriptors.sliced(40, 32)).trimmed();
    info.created = readDate(descriptors.sliced(813, 17));
    // The boot record sits among the descriptors after the primary one; El Torito puts it at
    // sector 17, its boot system identifier beginning with the standard's name.
    const int boot = (bootSector - primarySector) * sector;
    info.bootable = isDescriptor(descriptors, boot, 0)
        && descriptors.sliced(boot + 7, 10) == QByteArrayView("EL TORITO ");
    return info;
}

} // namespace

IsoImageInfo IsoImageInfo::parse(const QByteArray &head)
{
    const int at = primarySector * sector;
    return parseDescriptors(head.size() > at ? QByteArrayView(head).sliced(at) : QByteArrayView());
}

IsoImageInfo IsoImageInfo::read(const QString &path)
{
    // Two sectors only, into a buffer of its own: a drop of thousands of images reads each
    // one's header.
    char head[headLength];
    return parseHead(head, FileHead::read(path, headOffset, head, headLength));
}

IsoImageInfo IsoImageInfo::parseHead(const char *head, int got)
{
    return parseDescriptors(QByteArrayView(head, qMax(0, got)));
}
