#include "library/isolisting.h"

#include "library/imagechoice.h"
#include "library/movejournal.h"

#include "copy/copycommit.h"
#include "copy/imageset.h"
#include "copy/isoheadercache.h"
#include "library/log.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <algorithm>

namespace {

// Images are "*.iso" in any letter case, stored whole or in parts.
bool isImageName(const QString &name)
{
    return name.endsWith(QLatin1String(".iso"), Qt::CaseInsensitive);
}

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
    QStringList images;                            // the single file, or part 0
    QHash<QString, ImageSet> sets;                 // by folded image name
    QHash<QString, QFileInfo> imageFiles;          // what the walk learnt of each image
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
            const bool busy = name.startsWith(CopyCommit::prefix)
                && (MoveJournal::isJournal(name)
                        ? MoveJournal::isBusy(info.filePath())
                        : CopyCommit::isBusy(path, name.section(QLatin1Char('.'), 0, 1)));
            leftovers.append({ at, info.size(), busy });
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
        int part = -1;
        const QString image = ImageSet::imageOf(name, &part);
        if (isImageName(image)) {
            f.sets[image.toCaseFolded()].add(name, info.size());
            if (part <= 0 && QStringView(name).mid(image.size()).size() <= 2) {
                f.images.append(name);
                f.imageFiles.insert(name, info);
            }
        }
    }
    std::sort(f.dirs.begin(), f.dirs.end(), naturallyBefore);
    std::sort(f.images.begin(), f.images.end(), naturallyBefore);
    return f;
}

// Sizes and soundness of the image a row stands for.
void measure(const Folder &f, IsoRow &row)
{
    int part = -1;
    const ImageSet set = f.sets.value(ImageSet::imageOf(row.name, &part).toCaseFolded());
    row.doubled = set.isDoubled();
    if (!row.isSplit()) {
        row.size = set.wholeSize;
        row.files = QStringList(set.whole);
        return;
    }
    row.files = set.partFiles();
    row.size = set.partBytes();
    row.parts = int(set.parts.size());
    row.partsBroken = set.isBroken();
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
            measure(f, row);
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
