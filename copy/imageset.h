// One image as the stick stores it: a single file, or numbered parts name.0, name.1, ... that
// are read one after the other. Names compare as FAT compares them, letter case aside. The
// writer's part sizes and the reader's rule for a whole set both live here.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class ImageSet
{
public:
    // FAT32 cannot hold a file of 4 GiB; parts stay within this decimal limit.
    static constexpr qint64 partLimit = 4096000000;
    // The parts a copy writes before its last one: whole chunks of the copy up to the limit.
    static constexpr qint64 fullPart = partLimit / 6291456 * 6291456;
    // The most parts a copy of ours can have, its largest image split at fullPart.
    static constexpr int maxParts = int(40960000000LL / fullPart) + 1;

    struct Part {
        QString file; // as the volume spells it
        int number;
        qint64 size;
    };

    // The files of the image called name in dir.
    static ImageSet read(const QString &dir, const QString &name);
    // The image a file belongs to ("a.iso" for "a.iso.3" and "A.ISO") and its part number, -1
    // for a file that is the image itself.
    static QString imageOf(const QString &file, int *part);

    // Takes a file of the volume into the set; false when it belongs to another image.
    bool add(const QString &file, qint64 size);

    // The writer's rule: a part takes everything left when that is within the limit, else
    // fullPart. Readers accept any set whose parts but the last are as long as part 0 and whose
    // last is no longer than the limit (or than part 0, for parts larger than ours).
    static QList<qint64> partSizes(qint64 size);
    static bool startsNewPart(qint64 inPart, qint64 chunk) { return inPart + chunk > partLimit; }

    QString name;      // the image's name, without a part number
    QString whole;     // the single file, "" when there is none
    qint64 wholeSize = 0;
    QList<Part> parts; // by number

    bool isSplit() const { return !parts.isEmpty(); }
    // Held both as one file and as parts: which one is meant is for people to settle.
    bool isDoubled() const { return !whole.isEmpty() && !parts.isEmpty(); }
    // Parts missing from the numbering, or of sizes no writer makes.
    bool isBroken() const;
    QStringList partFiles() const;
    // What breaks a set: the names of parts absent below the highest, and the parts present
    // whose size no writer gives them.
    QStringList missingParts() const;
    QStringList oddParts() const;
    qint64 partBytes() const;
    // Every file of the image: the single one and the parts.
    QStringList files() const;
};
