#include "cli/stickpath.h"

#include "library/isolisting.h"

#include <QDir>

StickPath StickPath::find(const IsoListing &listing, const QString &typed)
{
    const QString wanted = QDir::cleanPath(QLatin1Char('/') + typed).toCaseFolded();
    for (const IsoRow &row : listing.rows) {
        const bool folder = row.kind == IsoRow::Kind::Folder;
        if (row.devicePath.toCaseFolded() == wanted
            || (!folder && row.imagePath().toCaseFolded() == wanted))
            return { row.devicePath, folder };
    }
    return {};
}
