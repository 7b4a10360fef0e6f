// Committed changes keep the stick's record of images true: a moved image's entry follows it,
// a deleted one's goes. Idempotent, so that a move finished again by the stick check after a
// stop does no harm.
#include "library/stickchanges.h"

#include "copy/imagerecord.h"
#include "library/log.h"

#include <QHash>

namespace StickChanges {

namespace {

bool isAtOrBelow(const QString &path, const QString &place)
{
    return path.compare(place, Qt::CaseInsensitive) == 0
        || path.startsWith(place + QLatin1Char('/'), Qt::CaseInsensitive);
}

} // namespace

void committed(const QString &root, const QList<Change> &changes)
{
    QHash<QString, QString> movedTo; // case-folded image path before the move, path after
    QStringList deleted;
    for (const Change &change : changes) {
        qCDebug(lcLibrary) << (change.kind == Change::Kind::Moved ? "Moved" : "Deleted") << root
                           << change.from << change.to;
        if (change.kind == Change::Kind::Moved)
            movedTo.insert(ImageRecord::imagePath(change.from).toCaseFolded(),
                           ImageRecord::imagePath(change.to));
        else
            deleted << change.from;
    }
    bool ok = true;
    QList<RecordedImage> images = ImageRecord::read(root, &ok);
    if (!ok || images.isEmpty())
        return;
    bool changed = false;
    for (auto it = images.begin(); it != images.end();) {
        const auto gone = std::find_if(deleted.cbegin(), deleted.cend(), [&](const QString &place) {
            return isAtOrBelow(it->path, place);
        });
        if (gone != deleted.cend()) {
            it = images.erase(it);
            changed = true;
            continue;
        }
        const auto moved = movedTo.constFind(it->path.toCaseFolded());
        if (moved != movedTo.constEnd() && *moved != it->path) {
            it->path = *moved;
            changed = true;
        }
        ++it;
    }
    if (changed && !ImageRecord::write(root, images))
        qCWarning(lcLibrary) << "The record of images could not follow the changes on" << root;
}

} // namespace StickChanges
