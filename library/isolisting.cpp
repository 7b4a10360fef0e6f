#include "library/isolisting.h"

#include "library/log.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>

namespace {

// Image names as QDir matches its name filters: wildcards, regardless of case.
class ImageFilter
{
public:
    ImageFilter()
    {
        for (const QString &pattern : { QStringLiteral("*.iso"), QStringLiteral("*.iso.0") })
            patterns.append(QRegularExpression::fromWildcard(pattern, Qt::CaseInsensitive));
    }
    bool matches(const QString &name) const
    {
        return std::any_of(patterns.cbegin(), patterns.cend(),
                           [&](const QRegularExpression &re) { return re.match(name).hasMatch(); });
    }

private:
    QList<QRegularExpression> patterns;
};

// One read of a folder gives both lists, with the same entries and order that separate QDir
// listings of folders and of matching files by name would give; listing through QDir would
// read each folder twice and build its name filters anew every time.
void readFolder(const QString &path, const ImageFilter &filter, QStringList &dirs,
                QStringList &images, QSet<QString> &links)
{
    dirs.clear();
    images.clear();
    QDirIterator it(path, QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QString name = it.fileName();
        const QFileInfo info = it.fileInfo();
        if (info.isDir()) {
            dirs.append(name);
            if (info.isSymLink())
                links.insert(name);
        } else if (filter.matches(name)) {
            images.append(name);
        }
    }
    // QDir::Name order: by character code, case-sensitive, no locale rules.
    std::sort(dirs.begin(), dirs.end());
    std::sort(images.begin(), images.end());
}

struct Walk {
    QString root;
    ImageFilter filter;
    QList<IsoRow> rows;
    // Where linked folders lead: each is walked once, so a link back up the tree (possible
    // on any file system but FAT) cannot make the walk endless.
    QSet<QString> linkTargets;

    // Depth first and in display order: a folder's rows follow its own row at once.
    void list(const QString &relPath, int depth)
    {
        QStringList dirs;
        QStringList images;
        QSet<QString> links;
        readFolder(root + relPath, filter, dirs, images, links);
        for (const QString &name : std::as_const(dirs)) {
            const QString path = relPath + QLatin1Char('/') + name;
            rows.append({ name, IsoRow::Kind::Folder, path, depth });
            if (links.contains(name)) {
                const QString target = QFileInfo(root + path).canonicalFilePath();
                if (linkTargets.contains(target))
                    continue;
                linkTargets.insert(target);
            }
            list(path, depth + 1);
        }
        for (const QString &name : std::as_const(images))
            rows.append({ name, IsoRow::Kind::Image, relPath + QLatin1Char('/') + name, depth });
    }
};

} // namespace

QList<IsoRow> IsoListing::read(const QString &deviceRoot)
{
    qCDebug(lcLibrary) << "Listing ISOs on" << QDir(deviceRoot).path();
    Walk walk { deviceRoot, {}, {}, {} };
    walk.list(QString(), 0);
    return walk.rows;
}
