#include "copy/dropadmission.h"

#include "copy/admissionprompts.h"
#include "copy/copycommit.h"
#include "copy/fatname.h"
#include "copy/folderreader.h"
#include "copy/isocopyworker.h"
#include "copy/isoheadercache.h"
#include "copy/isoimageinfo.h"
#include "copy/log.h"
#include "detect/volumeroom.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QSet>
#include <QThread>
#include <QTimer>

#include <thread>

namespace {

// A path still to be examined, with the folder its place on the device is measured from.
struct Pending {
    QString path;
    QString base;
    // A file found in a dropped folder, whose listing told the rest already.
    bool listed = false;
    QString name;
    DeviceFolder folder; // where on the device it goes
    qint64 size = 0;
    qint64 modified = 0;
};

bool hasImageSuffix(const QString &name)
{
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    return dot >= 0
        && QStringView(name).mid(dot + 1).compare(QLatin1String("iso"), Qt::CaseInsensitive) == 0;
}

// The headers of a listed folder's images, half of them read on a second thread while this one
// reads the other half, into the cache the checks then find them in: reading them is most of
// an admission's time, and an open and a read of each image wait on the system, not on us.
void prefetchHeaders(const QString &prefix, const QList<FolderReader::Entry> &entries,
                     const std::atomic<bool> &abort)
{
    QList<const FolderReader::Entry *> images;
    for (const FolderReader::Entry &entry : entries)
        if (!entry.dir && !entry.hidden && hasImageSuffix(entry.name))
            images.append(&entry);
    if (images.size() < 8)
        return; // a thread costs more than the few reads it would share
    const auto share = [&](qsizetype first) {
        for (qsizetype i = first; i < images.size() && !abort; i += 2)
            IsoHeaderCache::read(prefix + images.at(i)->name, images.at(i)->size,
                                 images.at(i)->modified);
    };
    std::thread helper(share, 1);
    share(0);
    helper.join();
}

// Reporting every path would flood the GUI thread on a folder of ten thousand files.
constexpr int reportEveryMs = 100;

qint64 roundUp(qint64 bytes, qint64 unit)
{
    return (bytes + unit - 1) / unit * unit;
}

} // namespace

struct DropAdmission::Run
{
    std::atomic<bool> stop { false };
    QMutex lock; // guards the two below
    DropAdmission *owner = nullptr; // none once the thread is left behind
    std::optional<Plan> result;
};

DropAdmission::DropAdmission(QObject *parent)
    : QObject(parent)
{
}

DropAdmission::~DropAdmission()
{
    if (!thread)
        return;
    run->stop = true;
    if (thread->wait(QDeadlineTimer(stopWaitMs)))
        delete thread;
    else
        leaveBehind();
}

void DropAdmission::abort()
{
    if (!thread)
        return;
    run->stop = true;
    QTimer::singleShot(stopWaitMs, this, [this, stopped = run] {
        if (run != stopped)
            return;
        leaveBehind();
        emit aborted();
    });
}

void DropAdmission::leaveBehind()
{
    QMutexLocker locked(&run->lock);
    run->owner = nullptr;
    // The thread object goes once its thread ends, if ever; nothing of this object is touched.
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread = nullptr;
    locked.unlock();
    run.reset();
}

void DropAdmission::examine(const QString &deviceRoot, const DeviceFolder &dest,
                            const QStringList &files, const QStringList &queued,
                            qint64 queuedBytes)
{
    if (thread)
        return;
    run = std::make_shared<Run>();
    run->owner = this;
    thread = QThread::create([shared = run, deviceRoot, dest, files, queued, queuedBytes] {
        QElapsedTimer sinceReport;
        const auto seen = [&](const QString &path) {
            if (!sinceReport.isValid() || sinceReport.elapsed() >= reportEveryMs) {
                sinceReport.start();
                QMutexLocker locked(&shared->lock);
                if (shared->owner)
                    emit shared->owner->examining(path);
            }
        };
        std::optional<Plan> planned
            = plan(deviceRoot, dest, files, shared->stop, seen, queued, queuedBytes);
        QMutexLocker locked(&shared->lock);
        shared->result = std::move(planned);
    });
    connect(thread, &QThread::finished, this, [this, finished = run] {
        if (run != finished)
            return;
        thread->deleteLater();
        thread = nullptr;
        run.reset();
        if (finished->result && !finished->stop)
            emit examined(*finished->result);
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
        const VolumeRoom room = VolumeRoom::of(deviceRoot);
        if (room.isKnown()) {
            planned.freeBytes = qMax<qint64>(0, room.freeBytes - queuedBytes);
            planned.cluster = qMax<qint64>(1, room.cluster);
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
    // Device paths of folders there, folded the same way: an image cannot take such a name.
    QSet<QString> folderPaths;
    const auto isTaken = [&](const DeviceFolder &folder, const QString &name) {
        if (!deviceRoot.isEmpty() && !foldersRead.contains(folder.path())) {
            foldersRead.insert(folder.path());
            const QDir dir(folder.under(deviceRoot));
            const QDir::Filters all = QDir::NoDotAndDotDot | QDir::Hidden | QDir::System;
            for (const QString &file : dir.entryList(QDir::AllEntries | all))
                taken.insert(folder.filePath(file).toCaseFolded());
            for (const QString &sub : dir.entryList(QDir::Dirs | all))
                folderPaths.insert(folder.filePath(sub).toCaseFolded());
        }
        const QString path = folder.filePath(name).toCaseFolded();
        // The worker replaces a whole copy and a split one alike, so either is present.
        return taken.contains(path) || taken.contains(path + QStringLiteral(".0"));
    };
    for (const QString &name : files)
        items.append({ name, QFileInfo(name).absolutePath(), false, {}, {}, 0, 0 });
    // Why a folder of the device cannot hold images, "" when it can: asked once per folder.
    QHash<QString, QString> folderRefusals;
    const auto refusalIn = [&](const DeviceFolder &folder, const QString &name) {
        auto known = folderRefusals.constFind(folder.path());
        if (known == folderRefusals.constEnd()) {
            QString why;
            for (const QString &part : folder.path().split(QLatin1Char('/'), Qt::SkipEmptyParts))
                if (why = partRefusal(part, true); !why.isEmpty())
                    break;
            known = folderRefusals.insert(folder.path(), why);
        }
        return !known->isEmpty() ? *known : partRefusal(name, false);
    };
    // Folders that copies of this drop make, from the device root ("/linux/new/").
    QSet<QString> madeFolders;
    // Folders of the device found there, folded: looked for once.
    QSet<QString> presentFolders;
    const auto foldersMade = [&](const DeviceFolder &folder) {
        int made = 0;
        if (deviceRoot.isEmpty())
            return made;
        for (QString path = folder.path(); path.size() > 1;
             path = path.left(path.lastIndexOf(QLatin1Char('/'), -2) + 1)) {
            const QString key = path.toCaseFolded();
            if (madeFolders.contains(key) || presentFolders.contains(key))
                break;
            if (QFileInfo::exists(DeviceFolder(path).under(deviceRoot))) {
                presentFolders.insert(key);
                break;
            }
            madeFolders.insert(key);
            ++made;
        }
        return made;
    };

    while (!items.isEmpty() || !folders.isEmpty()) {
        if (!folders.isEmpty()) {
            const Pending folder = folders.takeLast();
            // A link back up the tree would otherwise be expanded for ever.
            const QString canonical = QFileInfo(folder.path).canonicalFilePath();
            if (!expanded.contains(canonical)) {
                expanded.insert(canonical);
                // A line a folder, not a file: ten thousand lines cost more than the checks.
                qCDebug(lcCopy) << "Checking the folder" << folder.path;
                // One listing tells each file's size and time: no file is looked at twice.
                QList<FolderReader::Entry> entries;
                FolderReader::read(folder.path, entries, [](const QString &) { return true; });
                const QString at = QDir(folder.path).absolutePath();
                const QString prefix = at.endsWith(QLatin1Char('/')) ? at : at + QLatin1Char('/');
                QString below = QDir(folder.base).relativeFilePath(at);
                if (below == QLatin1String("."))
                    below.clear();
                const DeviceFolder there(dest.path() + below);
                prefetchHeaders(prefix, entries, abort);
                for (const FolderReader::Entry &entry : entries) {
                    // As QDir lists without QDir::Hidden.
                    if (entry.hidden)
                        continue;
                    if (entry.dir)
                        folders.append({ prefix + entry.name, folder.base, false, {}, {}, 0, 0 });
                    else
                        items.append({ prefix + entry.name, folder.base, true, entry.name, there,
                                       entry.size, entry.modified });
                }
            }
        }

        while (!items.isEmpty()) {
            if (abort)
                return std::nullopt;
            const Pending item = items.takeLast();
            if (!item.listed)
                qCDebug(lcCopy) << "Checking" << item.path;
            if (seen)
                seen(item.path);

            QString name = item.name;
            DeviceFolder folder = item.folder;
            qint64 size = item.size;
            bool isFile = true;
            QFileInfo info;
            if (!item.listed) {
                info = QFileInfo(item.path);
                if (info.isDir()) {
                    folders.append(item);
                    continue;
                }
                QString below = QDir(item.base).relativeFilePath(info.absolutePath());
                if (below == QLatin1String("."))
                    below.clear();
                folder = DeviceFolder(dest.path() + below);
                name = info.fileName();
                size = info.size();
                isFile = info.isFile();
            }

            Item::Kind kind = Item::Kind::NotImage;
            QString refused;
            const int dot = name.lastIndexOf(QLatin1Char('.'));
            if (dot >= 0 && name.mid(dot + 1).toLower() == QLatin1String("iso")) {
                const QString path = folder.filePath(name);
                const QString folded = path.toCaseFolded();
                // Checked first for every image: an overwrite needs as many parts as a new copy.
                if (!isFile)
                    kind = Item::Kind::NotRegular;
                else if (size > largestImage)
                    kind = Item::Kind::TooLarge;
                else if (refused = refusalIn(folder, name); !refused.isEmpty())
                    kind = Item::Kind::Refused;
                else if (!isTaken(folder, name))
                    kind = Item::Kind::Image;
                else if (!folderPaths.contains(folded))
                    kind = Item::Kind::Present;
                else {
                    // A rename cannot put a file in a folder's place: the copy would fail at the
                    // end.
                    kind = Item::Kind::Refused;
                    refused = tr("a folder of that name is there");
                }
                if (kind == Item::Kind::Image || kind == Item::Kind::Present)
                    taken.insert(folded);
            }
            qint64 replaces = 0;
            if (kind == Item::Kind::Present && !deviceRoot.isEmpty()) {
                const QString dir = folder.under(deviceRoot);
                for (const QString &old : CopyCommit::imageFiles(dir, name))
                    replaces += roundUp(QFileInfo(dir + old).size(), planned.cluster);
            }
            Item entry { item.path, folder, kind, size, replaces, true, true, refused, 0 };
            if (kind == Item::Kind::Image || kind == Item::Kind::Present) {
                entry.foldersMade = foldersMade(folder);
                const IsoImageInfo header = item.listed
                    ? IsoHeaderCache::read(item.path, size, item.modified)
                    : IsoHeaderCache::read(info);
                entry.willBoot = header.bootable;
                entry.iso9660 = header.iso9660;
            }
            planned.items.append(entry);
        }
    }
    return planned;
}

QString DropAdmission::refusal(const QString &devicePath)
{
    const QStringList parts = devicePath.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (int i = 0; i < parts.size(); ++i) {
        const QString why = partRefusal(parts.at(i), i < parts.size() - 1);
        if (!why.isEmpty())
            return why;
    }
    return {};
}

QString DropAdmission::partRefusal(const QString &part, bool folder)
{
    const FatName::Problem problem = FatName::check(part);
    QString why;
    if (problem != FatName::Problem::None)
        why = FatName::reason(problem);
    else if (!FatName::isLatin1(part))
        why = tr("the discwand is told which image to boot in Western European letters "
                 "(Latin-1) only");
    else
        return {};
    if (folder)
        why = tr("its folder \"%1\": %2").arg(part, why);
    const QString fix = FatName::fixed(part);
    if (!fix.isEmpty())
        why = tr("%1; \"%2\" would do").arg(why, fix);
    return why;
}

std::optional<QList<CopyEntry>> DropAdmission::decide(const Plan &plan, AdmissionPrompts &prompts)
{
    QStringList reasons;
    for (const Item &item : plan.items)
        if (item.kind == Item::Kind::Refused)
            reasons << QFileInfo(item.sourceFile).fileName() + QLatin1String(": ") + item.refusal;
    if (!reasons.isEmpty())
        prompts.refused(reasons);

    QList<CopyEntry> accepted;
    QStringList left;
    const bool counted = plan.freeBytes >= 0;
    // The journal of the copy being put in place takes a cluster of its own.
    qint64 free = counted ? plan.freeBytes - plan.cluster : -1;
    bool nonImagesAsked = false;
    for (const Item &item : plan.items) {
        if (!prompts.stillWanted())
            return std::nullopt;
        const QString name = QFileInfo(item.sourceFile).fileName();
        const qint64 need
            = isoCopyWorker::roomFor(item.size, plan.cluster) + item.foldersMade * plan.cluster;
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
        case Item::Kind::Refused:
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
    if (!left.isEmpty() && prompts.stillWanted()
        && !prompts.copyWhatFits(left, qMax<qint64>(0, plan.freeBytes)))
        return std::nullopt;
    if (!prompts.stillWanted())
        return std::nullopt;
    return accepted;
}
