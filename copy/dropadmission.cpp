#include "copy/dropadmission.h"

#include "copy/admissionprompts.h"
#include "copy/copycommit.h"
#include "copy/isocopyworker.h"
#include "copy/isoheadercache.h"
#include "copy/isoimageinfo.h"
#include "copy/log.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSet>
#include <QStorageInfo>
#include <QThread>

namespace {

// A path still to be examined, with the folder its place on the device is measured from.
struct Pending {
    QString path;
    QString base;
};

// Reporting every path would flood the GUI thread on a folder of ten thousand files.
constexpr int reportEveryMs = 100;

qint64 roundUp(qint64 bytes, qint64 unit)
{
    return (bytes + unit - 1) / unit * unit;
}

} // namespace

DropAdmission::DropAdmission(QObject *parent)
    : QObject(parent)
{
}

DropAdmission::~DropAdmission()
{
    if (thread) {
        stop = true;
        thread->wait();
        delete thread;
    }
}

void DropAdmission::examine(const QString &deviceRoot, const DeviceFolder &dest,
                            const QStringList &files, const QStringList &queued,
                            qint64 queuedBytes)
{
    if (thread)
        return;
    stop = false;
    result.reset();
    thread = QThread::create([this, deviceRoot, dest, files, queued, queuedBytes] {
        QElapsedTimer sinceReport;
        const auto seen = [&](const QString &path) {
            if (!sinceReport.isValid() || sinceReport.elapsed() >= reportEveryMs) {
                sinceReport.start();
                emit examining(path);
            }
        };
        result = plan(deviceRoot, dest, files, stop, seen, queued, queuedBytes);
    });
    connect(thread, &QThread::finished, this, [this] {
        thread->deleteLater();
        thread = nullptr;
        if (result && !stop)
            emit examined(*result);
        else
            emit aborted();
    });
    thread->start();
}

std::optional<DropAdmission::Plan> DropAdmission::plan(
    const QString &deviceRoot, const DeviceFolder &dest, const QStringList &files,
    const std::atomic<bool> &abort, const std::function<void(const QString &)> &seen,
    const QStringList &queued, qint64 queuedBytes)
{
    Plan planned;
    if (!deviceRoot.isEmpty()) {
        const QStorageInfo room(deviceRoot);
        // Some FUSE file systems report no sizes at all: then the room is not known.
        if (room.isValid() && room.isReady() && room.bytesTotal() > 0) {
            planned.freeBytes = qMax<qint64>(0, room.bytesAvailable() - queuedBytes);
            planned.cluster = qMax(1, room.blockSize());
        }
    }
    QList<Pending> items;
    QList<Pending> folders;
    QSet<QString> expanded;
    // Device paths taken, folded as FAT compares names: the queue's, this drop's, and each
    // device folder's files once it has been looked at.
    QSet<QString> taken;
    for (const QString &path : queued)
        taken.insert(path.toCaseFolded());
    QSet<QString> foldersRead;
    const auto isTaken = [&](const DeviceFolder &folder, const QString &name) {
        if (!deviceRoot.isEmpty() && !foldersRead.contains(folder.path())) {
            foldersRead.insert(folder.path());
            const QStringList there
                = QDir(folder.under(deviceRoot))
                      .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
            for (const QString &file : there)
                taken.insert(folder.filePath(file).toCaseFolded());
        }
        const QString path = folder.filePath(name).toCaseFolded();
        // The worker replaces a whole copy and a split one alike, so either is present.
        return taken.contains(path) || taken.contains(path + QStringLiteral(".0"));
    };
    for (const QString &name : files)
        items.append({ name, QFileInfo(name).absolutePath() });

    while (!items.isEmpty() || !folders.isEmpty()) {
        if (!folders.isEmpty()) {
            const Pending folder = folders.takeLast();
            // A link back up the tree would otherwise be expanded for ever.
            const QString canonical = QFileInfo(folder.path).canonicalFilePath();
            if (!expanded.contains(canonical)) {
                expanded.insert(canonical);
                const QDir dir(folder.path);
                const QFileInfoList found = dir.entryInfoList(QDir::Files, QDir::Unsorted);
                for (const QFileInfo &file : found)
                    items.append({ file.absoluteFilePath(), folder.base });
                const QFileInfoList subs
                    = dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Unsorted);
                for (const QFileInfo &sub : subs)
                    folders.append({ sub.absoluteFilePath(), folder.base });
            }
        }

        while (!items.isEmpty()) {
            if (abort)
                return std::nullopt;
            const Pending item = items.takeLast();
            qCDebug(lcCopy) << "Checking" << item.path;
            if (seen)
                seen(item.path);

            const QFileInfo info(item.path);
            if (info.isDir()) {
                folders.append(item);
                continue;
            }
            QString below = QDir(item.base).relativeFilePath(info.absolutePath());
            if (below == QLatin1String("."))
                below.clear();
            const DeviceFolder folder(dest.path() + below);

            Item::Kind kind = Item::Kind::NotImage;
            if (info.suffix().toLower() == QLatin1String("iso")) {
                // Checked first for every image: an overwrite needs as many parts as a new copy.
                if (!info.isFile())
                    kind = Item::Kind::NotRegular;
                else if (info.size() > largestImage)
                    kind = Item::Kind::TooLarge;
                else if (isTaken(folder, info.fileName()))
                    kind = Item::Kind::Present;
                else
                    kind = Item::Kind::Image;
                if (kind == Item::Kind::Image || kind == Item::Kind::Present)
                    taken.insert(folder.filePath(info.fileName()).toCaseFolded());
            }
            qint64 replaces = 0;
            if (kind == Item::Kind::Present && !deviceRoot.isEmpty()) {
                const QString dir = folder.under(deviceRoot);
                for (const QString &old : CopyCommit::imageFiles(dir, info.fileName()))
                    replaces += roundUp(QFileInfo(dir + old).size(), planned.cluster);
            }
            Item entry { item.path, folder, kind, info.size(), replaces };
            if (kind == Item::Kind::Image || kind == Item::Kind::Present) {
                const IsoImageInfo header = IsoHeaderCache::read(info);
                entry.willBoot = header.bootable;
                entry.iso9660 = header.iso9660;
            }
            planned.items.append(entry);
        }
    }
    return planned;
}

std::optional<QList<CopyEntry>> DropAdmission::decide(const Plan &plan, AdmissionPrompts &prompts)
{
    QList<CopyEntry> accepted;
    QStringList left;
    qint64 free = plan.freeBytes;
    const bool counted = free >= 0;
    bool nonImagesAsked = false;
    for (const Item &item : plan.items) {
        const QString name = QFileInfo(item.sourceFile).fileName();
        const qint64 need = isoCopyWorker::roomFor(item.size, plan.cluster);
        const bool image = item.kind == Item::Kind::Image || item.kind == Item::Kind::Present;
        if (image && !item.willBoot && !prompts.willNotBoot(name, item.iso9660))
            continue;
        switch (item.kind) {
        case Item::Kind::TooLarge:
            prompts.tooLarge(name);
            break;
        case Item::Kind::NotRegular:
            prompts.notRegular(name);
            break;
        case Item::Kind::Present: {
            const bool removeFirst = counted && free < need && free + item.replaces >= need;
            if (!prompts.overwrite(name, removeFirst))
                break;
            if (counted && free + item.replaces < need) {
                left << name;
                break;
            }
            accepted.append({ item.folder, item.sourceFile, removeFirst });
            free += item.replaces - need;
            break;
        }
        case Item::Kind::Image:
            if (counted && free < need) {
                left << name;
                break;
            }
            accepted.append({ item.folder, item.sourceFile });
            free -= need;
            break;
        case Item::Kind::NotImage:
            if (nonImagesAsked)
                break;
            nonImagesAsked = true;
            if (!prompts.imagesOnly())
                return std::nullopt;
            break;
        }
    }
    if (!left.isEmpty() && !prompts.copyWhatFits(left, qMax<qint64>(0, plan.freeBytes)))
        return std::nullopt;
    return accepted;
}
