#include "library/isolisting.h"

#include "library/imagechoice.h"

#include "copy/copycommit.h"
#include "copy/isoheadercache.h"
#include "library/log.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>

namespace {

// Image names as QDir matches its name filters: wildcards, regardless of case.
const QRegularExpression imageName(QStringLiteral("^.*\\.iso(\\.0)?$"),
                                   QRegularExpression::CaseInsensitiveOption);
// A numbered part after the first: "name.iso.3".
const QRegularExpression laterPart(QStringLiteral("^(.*\\.iso)\\.([1-9][0-9]*)$"),
                                   QRegularExpression::CaseInsensitiveOption);

// The order file managers show: runs of digits by their value, the rest as the locale orders
// words, letter case aside; names equal so far by character code.
bool naturallyBefore(const QString &a, const QString &b)
{
    const auto isDigit = [](QChar c) { return c >= u'0' && c <= u'9'; };
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const bool digits = isDigit(a.at(i));
        if (digits != isDigit(b.at(j)))
            return digits; // numbers before words
        qsizetype ie = i, je = j;
        while (ie < a.size() && isDigit(a.at(ie)) == digits)
            ++ie;
        while (je < b.size() && isDigit(b.at(je)) == digits)
            ++je;
        const QStringView x = QStringView(a).mid(i, ie - i), y = QStringView(b).mid(j, je - j);
        int order = 0;
        if (digits) {
            const auto value = [](QStringView n) {
                while (n.size() > 1 && n.front() == u'0')
                    n = n.mid(1);
                return n;
            };
            const QStringView xs = value(x), ys = value(y);
            order = xs.size() != ys.size() ? int(xs.size() - ys.size()) : xs.compare(ys);
        } else {
            order = QString::localeAwareCompare(x.toString().toCaseFolded(), y.toString().toCaseFolded());
        }
        if (order != 0)
            return order < 0;
        i = ie;
        j = je;
    }
    if (i < a.size() || j < b.size())
        return j < b.size();
    return a < b;
}

struct Folder {
    QStringList dirs;
    QStringList images;
    QHash<QString, qint64> sizes;                  // of images and parts
    QHash<QString, QFileInfo> imageFiles;          // what the walk learnt of each image
    QHash<QString, QList<int>> partNumbers;        // folded image name -> numbers after 0
    QSet<QString> links;                           // folders that are links
};

Folder readFolder(const QString &path, const QString &relPath, QList<Leftover> &leftovers)
{
    Folder f;
    QDirIterator it(path, QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot | QDir::Hidden);
    while (it.hasNext()) {
        it.next();
        const QString name = it.fileName();
        const QFileInfo info = it.fileInfo();
        const QString at = relPath + QLatin1Char('/') + name;
        // What interrupted copies leave: hidden parts and journals of ours, and the ".temp" files
        // of earlier versions.
        if (name.startsWith(CopyCommit::prefix)
            || (name.endsWith(QLatin1String(".temp"), Qt::CaseInsensitive)
                && name.contains(QLatin1String(".iso"), Qt::CaseInsensitive) && !info.isDir())) {
            leftovers.append({ at, info.size() });
            continue;
        }
        if (name.startsWith(QLatin1Char('.')) || info.isHidden())
            continue;
        if (info.isDir()) {
            // The device's own folder holds its selector program and choice, no images.
            if (relPath.isEmpty() && name.compare(QLatin1String("config"), Qt::CaseInsensitive) == 0)
                continue;
            f.dirs.append(name);
            if (info.isSymLink())
                f.links.insert(name);
            continue;
        }
        if (imageName.match(name).hasMatch()) {
            f.images.append(name);
            f.sizes.insert(name, info.size());
            f.imageFiles.insert(name, info);
        } else if (const auto part = laterPart.match(name); part.hasMatch()) {
            f.partNumbers[part.captured(1).toCaseFolded()].append(part.captured(2).toInt());
            f.sizes.insert(part.captured(1).toCaseFolded() + QLatin1Char('.') + part.captured(2),
                           info.size());
        }
    }
    std::sort(f.dirs.begin(), f.dirs.end(), naturallyBefore);
    std::sort(f.images.begin(), f.images.end(), naturallyBefore);
    return f;
}

// Sizes and soundness of an image's parts; part 0's size is known, later ones by number.
void measureParts(const Folder &f, IsoRow &row)
{
    row.size = f.sizes.value(row.name);
    if (!row.isSplit())
        return;
    const QString image = row.name.chopped(2).toCaseFolded();
    QList<int> numbers = f.partNumbers.value(image);
    std::sort(numbers.begin(), numbers.end());
    row.parts = 1 + int(numbers.size());
    const qint64 first = row.size;
    for (int i = 0; i < numbers.size(); ++i) {
        const qint64 size = f.sizes.value(image + QLatin1Char('.') + QString::number(numbers.at(i)));
        row.size += size;
        // Every part but the last is as long as the first; the last is no longer.
        const bool last = i + 1 == numbers.size();
        if (numbers.at(i) != i + 1 || (last ? size > first : size != first))
            row.partsBroken = true;
    }
}

struct Walk {
    QString root;
    IsoListing out;
    // Where linked folders lead: each is walked once, so a link back up the tree (possible
    // on any file system but FAT) cannot make the walk endless.
    QSet<QString> linkTargets;

    // Depth first and in display order: a folder's rows follow its own row at once.
    void list(const QString &relPath, int depth)
    {
        const Folder f = readFolder(root + relPath, relPath, out.leftovers);
        for (const QString &name : f.dirs) {
            const QString path = relPath + QLatin1Char('/') + name;
            out.rows.append(IsoRow(name, IsoRow::Kind::Folder, path, depth));
            if (f.links.contains(name)) {
                const QString target = QFileInfo(root + path).canonicalFilePath();
                if (linkTargets.contains(target))
                    continue;
                linkTargets.insert(target);
            }
            list(path, depth + 1);
        }
        for (const QString &name : f.images) {
            IsoRow row(name, IsoRow::Kind::Image, relPath + QLatin1Char('/') + name, depth);
            measureParts(f, row);
            row.info = IsoHeaderCache::read(f.imageFiles.value(name));
            out.rows.append(row);
        }
    }
};

} // namespace

IsoListing IsoListing::read(const QString &deviceRoot)
{
    qCDebug(lcLibrary) << "Listing ISOs on" << QDir(deviceRoot).path();
    Walk walk { deviceRoot, {}, {} };
    walk.list(QString(), 0);
    const QFileInfo pendingChoice(deviceRoot + ImageChoice::pendingPath);
    if (pendingChoice.isFile())
        walk.out.leftovers.append({ ImageChoice::pendingPath, pendingChoice.size() });
    return walk.out;
}
