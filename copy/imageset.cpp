#include "copy/imageset.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <limits>

QString ImageSet::imageOf(const QString &file, int *part)
{
    *part = -1;
    const int dot = file.lastIndexOf(QLatin1Char('.'));
    const QStringView digits = QStringView(file).mid(dot + 1);
    if (dot <= 0 || digits.isEmpty() || !std::all_of(digits.begin(), digits.end(), [](QChar c) {
            return c >= u'0' && c <= u'9';
        }))
        return file;
    // A number past any count of parts still names a part, one that breaks its set.
    bool ok = false;
    *part = digits.toInt(&ok);
    if (!ok)
        *part = std::numeric_limits<int>::max();
    return file.left(dot);
}

ImageSet ImageSet::read(const QString &dir, const QString &name)
{
    ImageSet set;
    set.name = name;
    const QFileInfoList entries
        = QDir(dir).entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QFileInfo &entry : entries)
        set.add(entry.fileName(), entry.size());
    return set;
}

bool ImageSet::add(const QString &file, qint64 size)
{
    int number = -1;
    const QString image = imageOf(file, &number);
    if (name.isEmpty())
        name = image;
    if (image.compare(name, Qt::CaseInsensitive) != 0) {
        // "a.iso.2022" names no part of "a.iso.2022.iso", but the image itself may end in digits.
        if (file.compare(name, Qt::CaseInsensitive) != 0)
            return false;
        number = -1;
    }
    if (number < 0) {
        whole = file;
        wholeSize = size;
        return true;
    }
    const auto at = std::lower_bound(parts.begin(), parts.end(), number,
                                     [](const Part &p, int n) { return p.number < n; });
    parts.insert(at, { file, number, size });
    return true;
}

QList<qint64> ImageSet::partSizes(qint64 size)
{
    QList<qint64> sizes;
    for (; size > partLimit; size -= fullPart)
        sizes << fullPart;
    sizes << size;
    return sizes;
}

bool ImageSet::isBroken() const
{
    for (int i = 0; i < parts.size(); ++i) {
        const qint64 size = parts.at(i).size, first = parts.first().size;
        const bool last = i + 1 == parts.size();
        if (parts.at(i).number != i || (last ? size > qMax(first, partLimit) : size != first))
            return true;
    }
    return false;
}

QStringList ImageSet::missingParts() const
{
    QStringList missing;
    int expected = 0;
    for (const Part &part : parts) {
        // A number past any count of parts is a part out of place, not thousands missing.
        for (; expected < part.number && expected < maxParts; ++expected)
            missing << name + QLatin1Char('.') + QString::number(expected);
        expected = part.number + 1;
    }
    return missing;
}

QStringList ImageSet::oddParts() const
{
    QStringList odd;
    for (int i = 0; i < parts.size(); ++i) {
        const qint64 size = parts.at(i).size, first = parts.first().size;
        if (i + 1 == parts.size() ? size > qMax(first, partLimit) : size != first)
            odd << parts.at(i).file;
    }
    return odd;
}

QStringList ImageSet::partFiles() const
{
    QStringList files;
    for (const Part &part : parts)
        files << part.file;
    return files;
}

qint64 ImageSet::partBytes() const
{
    qint64 bytes = 0;
    for (const Part &part : parts)
        bytes += part.size;
    return bytes;
}

QStringList ImageSet::files() const
{
    return whole.isEmpty() ? partFiles() : QStringList(whole) + partFiles();
}
