#include "library/isolisting.h"

#include "library/imagechoice.h"
#include "library/movejournal.h"

#include "copy/copycommit.h"
#include "copy/folderreader.h"
#include "copy/imagerecord.h"
#include "copy/imageset.h"
#include "copy/isoheadercache.h"
#include "library/log.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QSet>

#include <algorithm>
#include <cstring>
#include <optional>

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
        if (x == y) {
            order = 0; // a common prefix, far the most frequent case, in any locale
        } else if (digits) {
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

// A folder's own rows, headers aside, as the walk shows them at relPath and depth.
struct Folder {
    QList<IsoRow> dirRows; // in display order
    QSet<QString> links; // folders that are links
    QList<IsoRow> imageRows; // in display order, without their headers
    QList<std::pair<qint64, qint64>> imageDetails; // each image row's first file's size and time
    QString relPath;
    int depth = -1;
};

// What a folder held when it was last read, kept while the program runs: a relisting of a
// folder whose stamp has not changed looks again at its images' files alone.
struct KnownFolder {
    FolderReader::Stamp stamp;
    QStringList dirs; // in display order
    QSet<QString> links;
    QStringList imageFiles; // every file of an image, as the folder listed them
    QList<std::pair<qint64, qint64>> details; // each one's size and time, as last seen
    QStringList leftovers;
    Folder folder; // the rows made of it
};

QMutex knownGuard; // the command line and the window may list at once
QHash<QString, KnownFolder> known; // by the folder's path
// Far more folders than a stick holds; past it the table starts over rather than grow.
constexpr int mostKnown = 20000;

bool isLeftover(const QString &name, bool dir)
{
    return name.startsWith(CopyCommit::prefix)
        || (name.endsWith(QLatin1String(".temp"), Qt::CaseInsensitive)
            && name.contains(QLatin1String(".iso"), Qt::CaseInsensitive) && !dir);
}

void addLeftover(const QString &path, const QString &relPath, const QString &name, qint64 size,
                 QList<Leftover> &leftovers)
{
    const bool busy = name.startsWith(CopyCommit::prefix)
        && (MoveJournal::isJournal(name)
                ? MoveJournal::isBusy(path + QLatin1Char('/') + name)
                : CopyCommit::isBusy(path, name.section(QLatin1Char('.'), 0, 1)));
    leftovers.append({ relPath + QLatin1Char('/') + name, size, busy });
}

bool isImageFile(const QString &name)
{
    int part = -1;
    return isImageName(ImageSet::imageOf(name, &part));
}

bool wantsDetails(const QString &name)
{
    return isLeftover(name, false) || isImageFile(name);
}

// Every image file and leftover has ".iso" in its name or our prefix before it, letter case
// aside; a name beyond ASCII is left to the full test, since its letters may fold to those.
bool mayMatter(const char *name)
{
    static const QByteArray prefix = CopyCommit::prefix.toUtf8();
    if (std::strncmp(name, prefix.constData(), size_t(prefix.size())) == 0)
        return true;
    for (const char *at = name; *at; ++at) {
        if (static_cast<unsigned char>(*at) >= 0x80)
            return true;
        if (at[0] == '.' && (at[1] | 0x20) == 'i' && (at[2] | 0x20) == 's'
            && (at[3] | 0x20) == 'o')
            return true;
    }
    return false;
}

// Sizes and soundness of the image a row stands for.
void measure(const QHash<QString, ImageSet> &sets, IsoRow &row)
{
    int part = -1;
    const ImageSet set = sets.value(ImageSet::imageOf(row.name, &part).toCaseFolded());
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

// The folder's rows from its entries as known, its image files with these details.
Folder makeRows(const KnownFolder &seen, const QList<std::pair<qint64, qint64>> &details,
                const QString &relPath, int depth)
{
    Folder f;
    f.relPath = relPath;
    f.depth = depth;
    f.links = seen.links;
    for (const QString &name : seen.dirs)
        f.dirRows.append(
            IsoRow(name, IsoRow::Kind::Folder, relPath + QLatin1Char('/') + name, depth));
    QHash<QString, ImageSet> sets; // by folded image name
    QHash<QString, std::pair<qint64, qint64>> listed; // the single file, or part 0
    for (qsizetype i = 0; i < seen.imageFiles.size(); ++i) {
        const QString &name = seen.imageFiles.at(i);
        int part = -1;
        const QString image = ImageSet::imageOf(name, &part);
        sets[image.toCaseFolded()].add(name, details.at(i).first);
        if (part <= 0 && QStringView(name).mid(image.size()).size() <= 2)
            listed.insert(name, details.at(i));
    }
    QStringList images = listed.keys();
    std::sort(images.begin(), images.end(), naturallyBefore);
    for (const QString &name : images) {
        IsoRow row(name, IsoRow::Kind::Image, relPath + QLatin1Char('/') + name, depth);
        measure(sets, row);
        f.imageRows.append(std::move(row));
        f.imageDetails.append(listed.value(name));
    }
    return f;
}

Folder readFolder(const FolderReader::Stamps &stamps, const QString &path, const QString &relPath,
                  int depth, QList<Leftover> &leftovers, KnownFolder &seen)
{
    QList<FolderReader::Entry> entries;
    FolderReader::read(path, entries, wantsDetails, &stamps, &seen.stamp, mayMatter);
    for (const FolderReader::Entry &entry : entries) {
        const QString &name = entry.name;
        // What interrupted copies leave: hidden parts and journals of ours, and the ".temp" files
        // of earlier versions.
        if (isLeftover(name, entry.dir)) {
            const qint64 size = entry.dir ? QFileInfo(path + QLatin1Char('/') + name).size()
                                          : entry.size;
            addLeftover(path, relPath, name, size, leftovers);
            seen.leftovers.append(name);
            continue;
        }
        if (name.startsWith(QLatin1Char('.')) || entry.hidden)
            continue;
        if (entry.dir) {
            // The device's own folder holds its selector program and choice, no images.
            if (relPath.isEmpty() && name.compare(QLatin1String("config"), Qt::CaseInsensitive) == 0)
                continue;
            seen.dirs.append(name);
            if (entry.link)
                seen.links.insert(name);
            continue;
        }
        if (isImageFile(name)) {
            seen.imageFiles.append(name);
            seen.details.append({ entry.size, entry.modified });
        }
    }
    std::sort(seen.dirs.begin(), seen.dirs.end(), naturallyBefore);
    seen.folder = makeRows(seen, seen.details, relPath, depth);
    return seen.folder;
}

// The folder as it was last read, its files looked at again; nothing when one of them is gone,
// which means the folder changed after all.
std::optional<Folder> againFolder(const QString &path, const QString &relPath, int depth,
                                  const KnownFolder &seen, QList<Leftover> &leftovers)
{
    const QString dir = path + QLatin1Char('/');
    QList<std::pair<qint64, qint64>> details(seen.imageFiles.size());
    for (qsizetype i = 0; i < seen.imageFiles.size(); ++i)
        if (!FolderReader::details(dir + seen.imageFiles.at(i), details[i].first,
                                   details[i].second))
            return std::nullopt;
    QList<Leftover> found;
    for (const QString &name : seen.leftovers) {
        const QFileInfo info(dir + name);
        if (!info.exists())
            return std::nullopt;
        addLeftover(path, relPath, name, info.size(), found);
    }
    leftovers += found;
    // Files rewritten in place keep the folder's stamp: their sizes make the rows anew.
    if (details == seen.details && seen.folder.relPath == relPath && seen.folder.depth == depth)
        return seen.folder;
    return makeRows(seen, details, relPath, depth);
}

// The folder's rows, from what is known of it when its stamp says it is unchanged.
Folder listFolder(const FolderReader::Stamps &stamps, const QString &path, const QString &relPath,
                  int depth, QList<Leftover> &leftovers)
{
    QMutexLocker lock(&knownGuard);
    const auto it = known.constFind(path);
    if (it != known.constEnd()) {
        const KnownFolder was = *it;
        lock.unlock();
        const FolderReader::Stamp stamp = stamps.of(path);
        if (stamp.isValid() && was.stamp == stamp) {
            if (std::optional<Folder> f = againFolder(path, relPath, depth, was, leftovers))
                return *std::move(f);
        }
    } else {
        lock.unlock();
    }
    KnownFolder seen;
    Folder f = readFolder(stamps, path, relPath, depth, leftovers, seen);
    const FolderReader::Stamp stamp = seen.stamp;
    lock.relock();
    if (!stamp.isValid()) {
        known.remove(path);
    } else {
        if (known.size() >= mostKnown)
            known.clear();
        known.insert(path, std::move(seen));
    }
    return f;
}

} // namespace

struct ListingWalk
{
    QString root;
    FolderReader::Stamps stamps;
    IsoListing::Headers headers;
    IsoListing out;
    // Where linked folders lead: each is walked once, so a link back up the tree (possible
    // on any file system but FAT) cannot make the walk endless.
    QSet<QString> linkTargets;

    // Depth first and in display order: a folder's rows follow its own row at once.
    void list(const QString &relPath, int depth)
    {
        // One spelling per folder: the header cache and the table of folders key on it.
        const QString dir = QDir::cleanPath(root + relPath);
        const Folder f = listFolder(stamps, dir, relPath, depth, out.leftovers);
        for (const IsoRow &row : f.dirRows) {
            out.rows.append(row);
            if (f.links.contains(row.name)) {
                const QString target = QFileInfo(root + row.devicePath).canonicalFilePath();
                if (linkTargets.contains(target))
                    continue;
                linkTargets.insert(target);
            }
            list(row.devicePath, depth + 1);
        }
        const QString folder = dir + QLatin1Char('/');
        for (qsizetype i = 0; i < f.imageRows.size(); ++i) {
            IsoRow &row = out.rows.emplaceBack(f.imageRows.at(i));
            const std::pair<qint64, qint64> &file = f.imageDetails.at(i);
            const QString path = folder + row.name;
            if (headers == IsoListing::Headers::Read) {
                row.info = IsoHeaderCache::read(path, file.first, file.second);
            } else if (const auto known = IsoHeaderCache::find(path, file.first, file.second)) {
                row.info = *known;
            } else {
                row.headerRead = false;
                out.unread.append({ out.rows.size() - 1, path, file.first, file.second });
            }
        }
    }
};

IsoListing IsoListing::read(const QString &deviceRoot, Headers headers)
{
    qCDebug(lcLibrary) << "Listing ISOs on" << QDir(deviceRoot).path();
    ListingWalk walk { deviceRoot, FolderReader::Stamps(deviceRoot), headers, {}, {} };
    walk.list(QString(), 0);
    const QFileInfo pendingChoice(deviceRoot + ImageChoice::pendingPath);
    if (pendingChoice.isFile())
        walk.out.leftovers.append({ ImageChoice::pendingPath, pendingChoice.size() });
    // What the record knows of each image; only what it says of the image as it is now.
    // Looked up by name as FAT compares names, the first entry of a name counting, as
    // ImageRecord::find has it: a stick records most of its images.
    walk.out.record = ImageRecord::read(deviceRoot);
    const QList<RecordedImage> &record = walk.out.record;
    QHash<QString, const RecordedImage *> recorded;
    recorded.reserve(record.size());
    for (auto image = record.crbegin(); image != record.crend(); ++image)
        recorded.insert(image->path.toCaseFolded(), &*image);
    for (IsoRow &row : walk.out.rows) {
        if (row.kind != IsoRow::Kind::Image || recorded.isEmpty())
            continue;
        const RecordedImage *entry = recorded.value(row.imagePath().toCaseFolded());
        if (entry && entry->size == row.size) {
            row.sha256 = entry->sha256;
            row.matches = entry->published;
        }
    }
    const QFileInfo pendingRecord(deviceRoot + ImageRecord::pendingPath);
    if (pendingRecord.isFile())
        walk.out.leftovers.append({ ImageRecord::pendingPath, pendingRecord.size() });
    return walk.out;
}

void IsoListing::readHeaders()
{
    for (const UnreadHeader &header : std::as_const(unread)) {
        IsoRow &row = rows[header.row];
        row.info = IsoHeaderCache::read(header.path, header.size, header.modified);
        row.headerRead = true;
    }
    unread.clear();
}
