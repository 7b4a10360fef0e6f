// Committed changes are logged; a record of the stick's files hooks in here.
#include "library/stickchanges.h"

#include "library/log.h"

namespace StickChanges {

void committed(const QString &root, const QList<Change> &changes)
{
    for (const Change &change : changes)
        qCDebug(lcLibrary) << (change.kind == Change::Kind::Moved ? "Moved" : "Deleted") << root
                           << change.from << change.to;
}

} // namespace StickChanges
