// Reads the device's folders and images into rows in the order the tree shows them: under every
// folder its subfolders first, then its images, each group in the locale's natural order. It
// also finds what interrupted copies left behind.
#pragma once

#include "copy/imagerecord.h"
#include "copy/isoimageinfo.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <utility>

struct IsoRow {
    enum class Kind { Folder, Image };

    IsoRow(QString name, Kind kind, QString devicePath, int depth)
        : name(std::move(name)), kind(kind), devicePath(std::move(devicePath)), depth(depth)
    {
    }

    QString name;       // as stored, suffix included ("big.iso.0")
    Kind kind;
    QString devicePath; // from the device root: "/linux/big.iso.0"
    int depth;          // 0 for the device root's own entries
    qint64 size = 0;    // an image's files together
    int parts = 0;      // numbered parts of a split image; 0 for an image in one file
    bool partsBroken = false; // a part missing from the numbering, or parts of odd sizes
    bool doubled = false; // the same name is held both as one file and as parts
    QStringList files;    // what the row stands for, in its folder: the file, or each part
    IsoImageInfo info;
    bool headerRead = true; // false while the image's header waits for IsoListing::readHeaders
    QByteArray sha256;    // as the stick's record has it (hex), empty when not recorded
    QString matches;      // the published checksum file it matched, as recorded

    bool operator==(const IsoRow &o) const
    {
        return sameButHeader(o) && info == o.info && headerRead == o.headerRead;
    }
    // The same row, whatever is known of its image's header.
    bool sameButHeader(const IsoRow &o) const
    {
        return name == o.name && kind == o.kind && devicePath == o.devicePath && depth == o.depth
            && size == o.size && parts == o.parts && partsBroken == o.partsBroken
            && doubled == o.doubled && files == o.files && sha256 == o.sha256
            && matches == o.matches;
    }

    // Only part 0 of a split image is listed; its row stands for the whole image.
    bool isSplit() const { return kind == Kind::Image && name.endsWith(QLatin1String(".0")); }
    // The image's name and path as people and the device know it: without the part suffix.
    QString displayName() const { return isSplit() ? name.chopped(2) : name; }
    QString imagePath() const { return isSplit() ? devicePath.chopped(2) : devicePath; }
    // The boot choice names this image; the device looks names up as FAT does, case aside.
    bool isBootImage(const QString &bootImage) const
    {
        return kind == Kind::Image && imagePath().compare(bootImage, Qt::CaseInsensitive) == 0;
    }
};

// Its members all move as their bytes: a listing's rows grow without copying each one.
Q_DECLARE_TYPEINFO(IsoRow, Q_RELOCATABLE_TYPE);

// A file an interrupted copy left: hidden parts, a journal, or an older version's ".temp".
struct Leftover {
    QString path; // from the device root
    qint64 size = 0;
    bool busy = false; // a copy running now, here or in another process, is writing it
};

class IsoListing
{
public:
    QList<IsoRow> rows;
    QList<Leftover> leftovers;
    QList<RecordedImage> record; // the stick's record of images, as read with the rows

    // Whether a listing reads the headers of images this program has not looked at yet, or
    // leaves them to readHeaders(): rows without them can be shown a good while sooner.
    enum class Headers { Read, Later };

    // Folders and images below deviceRoot (which ends in "/"). Images are "*.iso" and
    // "*.iso.0" in any letter case; hidden entries and the device's own config folder are left
    // out. A folder that cannot be read lists as empty.
    static IsoListing read(const QString &deviceRoot, Headers headers = Headers::Read);

    // Reads the headers a listing left for later into their rows.
    void readHeaders();
    bool headersPending() const { return !unread.isEmpty(); }

private:
    struct UnreadHeader
    {
        qsizetype row;
        QString path; // the file that holds it, with its size and time as listed
        qint64 size, modified;
    };
    QList<UnreadHeader> unread;
    friend struct ListingWalk;
};
