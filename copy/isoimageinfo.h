// What an image file says of itself: an ISO 9660 volume (its label and creation date, from the
// primary volume descriptor) and whether it carries an El Torito boot record, so a machine can
// start from it. Only two sectors 32 KiB in are read, so part 0 of a split image will do.
#pragma once

#include <QDateTime>
#include <QString>

struct IsoImageInfo {
    bool iso9660 = false;
    bool bootable = false;
    QString label;
    QDateTime created;

    bool operator==(const IsoImageInfo &o) const
    {
        return iso9660 == o.iso9660 && bootable == o.bootable && label == o.label
            && created == o.created;
    }

    static IsoImageInfo read(const QString &path);
    // The same from the image's first bytes (from offset 0).
    static IsoImageInfo parse(const QByteArray &head);

    // Where read() looks, for a caller that reads the bytes itself: headLength bytes from
    // headOffset on, which parseHead() then takes (got of them; none when the read failed).
    static constexpr int headOffset = 16 * 2048;
    static constexpr int headLength = 2 * 2048;
    static IsoImageInfo parseHead(const char *head, int got);
};
