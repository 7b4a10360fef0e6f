#include "library/syncplan.h"

#include "copy/imageset.h"
#include "copy/isocopyworker.h"
#include "copy/shadigest.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QStorageInfo>

#include <memory>

namespace {

bool isImageName(const QString &name)
{
    return name.endsWith(QLatin1String(".iso"), Qt::CaseInsensitive)
        && !name.startsWith(QLatin1Char('.'));
}

// The SHA-256 of the files one after the other; empty when one cannot be read.
QByteArray hashOf(const QStringList &files)
{
    constexpr qint64 chunk = 4 << 20;
    const std::unique_ptr<char[]> buffer(new char[chunk]);
    Sha256 sha;
    for (const QString &path : files) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        qint64 got = 0;
        while ((got = file.read(buffer.get(), chunk)) > 0)
            sha.addData(buffer.get(), got);
        if (got < 0)
            return {};
    }
    return sha.result();
}

qint64 roundUp(qint64 size, qint64 cluster)
{
    return (size + cluster - 1) / cluster * cluster;
}

} // namespace

SyncPlan SyncPlan::make(const QString &root, const DeviceFolder &to, const QString &localFolder,
                        bool removeExtra, const std::function<bool(const QString &)> &hashed)
{
    SyncPlan plan;
    const QString dir = to.under(root);
    // The stick's images by folded name: their sets as FAT compares names.
    QMap<QString, ImageSet> onStick;
    for (const QString &file : QDir(dir).entryList(QDir::Files)) {
        int part = -1;
        const QString image = ImageSet::imageOf(file, &part);
        if (isImageName(image) && !onStick.contains(image.toCaseFolded()))
            onStick.insert(image.toCaseFolded(), ImageSet::read(dir, image));
    }
    QMap<QString, Item> items;
    const QFileInfoList local
        = QDir(localFolder).entryInfoList(QDir::Files, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo &info : local) {
        if (!isImageName(info.fileName()))
            continue;
        Item item { Item::Action::New, info.fileName(), info.absoluteFilePath(), info.size() };
        const auto there = onStick.constFind(info.fileName().toCaseFolded());
        if (there != onStick.cend()) {
            const ImageSet &set = *there;
            QStringList files;
            for (const QString &file : set.files()) {
                files << dir + file;
                item.freed += QFileInfo(dir + file).size();
            }
            item.stickPath = to.filePath(set.name);
            const qint64 stickSize = set.isSplit() ? set.partBytes() : set.wholeSize;
            item.action = Item::Action::Replace;
            if (stickSize == item.size && !set.isDoubled() && !set.isBroken()) {
                if (hashed && !hashed(item.name))
                    return {};
                const QByteArray stickHash = hashOf(files);
                if (!stickHash.isEmpty() && hashOf({ item.source }) == stickHash)
                    item.action = Item::Action::Same;
            }
        }
        items.insert(info.fileName().toCaseFolded(), item);
    }
    if (removeExtra) {
        for (auto it = onStick.cbegin(); it != onStick.cend(); ++it) {
            if (items.contains(it.key()))
                continue;
            Item item { Item::Action::Remove, it->name, {}, 0 };
            for (const QString &file : it->files())
                item.freed += QFileInfo(dir + file).size();
            item.stickPath = to.filePath(it->name);
            items.insert(it.key(), item);
        }
    }
    plan.items = items.values();

    const QStorageInfo room(root);
    // Some FUSE file systems report no sizes at all: then the room is not known.
    plan.measure(room.isValid() && room.isReady() && room.bytesTotal() > 0 ? room.bytesAvailable()
                                                                           : -1,
                 room.blockSize());
    return plan;
}

void SyncPlan::measure(qint64 free, qint64 clusterSize)
{
    freeBytes = free;
    cluster = qMax<qint64>(1, clusterSize);
    needed = 0;
    // The journal of the copy being put in place takes a cluster of its own.
    if (count(Item::Action::New) + count(Item::Action::Replace) > 0)
        needed += cluster;
    for (const Item &item : std::as_const(items)) {
        if (item.action == Item::Action::Same)
            continue;
        if (item.action != Item::Action::Remove)
            needed += isoCopyWorker::roomFor(item.size, cluster);
        needed -= roundUp(item.freed, cluster);
    }
}

int SyncPlan::count(Item::Action action) const
{
    return int(std::count_if(items.begin(), items.end(),
                             [action](const Item &item) { return item.action == action; }));
}

bool SyncPlan::isEmpty() const
{
    return count(Item::Action::Same) == items.size();
}
