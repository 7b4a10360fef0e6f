// Bringing a folder of the stick up to date with a folder of images on the computer: which
// images are new, which replace a different one (by size, or by SHA-256 when the sizes agree),
// which are the same already, and, when asked, which the stick holds that the computer folder
// does not. Only the images directly in both folders count; nothing else is looked at.
#pragma once

#include "detect/devicefolder.h"

#include <QList>
#include <QString>

#include <functional>

class SyncPlan
{
public:
    struct Item
    {
        enum class Action { New, Replace, Same, Remove };
        Action action;
        QString name; // the image's name ("a.iso"), as the computer's folder spells it when there
        QString source; // the file on the computer; "" for a removal
        qint64 size = 0; // the source's
        // Room the stick's image takes now, given back by a replacement or removal.
        qint64 freed = 0;
        QString stickPath = {}; // the stick's image ("/linux/a.iso"); "" for a new one
    };
    QList<Item> items; // by name
    qint64 needed = 0; // room the plan takes in all, less the room it gives back
    qint64 freeBytes = -1; // on the stick; -1: unknown
    qint64 cluster = 1;

    // The plan for the images directly in localFolder and in the stick's folder `to` below
    // root; with removeExtra, the stick's images not in localFolder go. hashed is told of each
    // image whose bytes are compared (the sizes agree) and returns false to stop: the plan
    // then has no items.
    static SyncPlan make(const QString &root, const DeviceFolder &to, const QString &localFolder,
                         bool removeExtra,
                         const std::function<bool(const QString &name)> &hashed = {});

    // Counts the room the plan needs on a stick with free bytes in clusters of that size.
    void measure(qint64 free, qint64 clusterSize);

    int count(Item::Action action) const;
    bool fits() const { return freeBytes < 0 || needed <= freeBytes; }
    // Nothing new, replaced or removed.
    bool isEmpty() const;
};
