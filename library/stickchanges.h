// The one place told of every change to the stick's library once it is made: images and
// folders renamed or moved (their files in place, before their journal goes, live or by the
// stick check) and deleted. The stick's record of images follows the changes from here.
#pragma once

#include <QList>
#include <QString>

namespace StickChanges {

struct Change
{
    enum class Kind { Moved, Deleted };
    Kind kind;
    QString from; // from the device root: the image's file or a folder
    QString to; // its new path; "" for a deletion
};

// Called with the changes a committed rename, move or deletion made below root, in the order
// they were made; the stick is durable as they describe it.
void committed(const QString &root, const QList<Change> &changes);

} // namespace StickChanges
