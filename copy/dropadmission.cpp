#include "copy/dropadmission.h"

#include "copy/admissionprompts.h"
#include "copy/copycommit.h"
#include "copy/fatname.h"
#include "copy/isocopyworker.h"
#include "copy/isoheadercache.h"
#include "copy/isoimageinfo.h"
#include "copy/log.h"
#include "detect/volumeroom.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMutex>
#include <QSet>
#include <QThread>
#include <QTimer>

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
        items.append({ name, QFileInfo(name).absolutePath() });
    // Folders that copies of this drop make, from the device root ("/linux/new/").
    QSet<QString> madeFolders;
    const auto foldersMade = [&](const DeviceFolder &folder) {
        int made = 0;
        if (deviceRoot.isEmpty())
            return made;
        for (QString path = folder.path(); path.size() > 1;
             path = path.left(path.lastIndexOf(QLatin1Char('/'), -2) + 1)) {
            const QString key = path.toCaseFolded();
            if (madeFolders.contains(key)
                || QFileInfo::exists(DeviceFolder(path).under(deviceRoot)))
                break;
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
            QString refused;
            if (info.suffix().toLower() == QLatin1String("iso")) {
                // Checked first for every image: an overwrite needs as many parts as a new copy.
                if (!info.isFile())
                    kind = Item::Kind::NotRegular;
                else if (info.size() > largestImage)
                    kind = Item::Kind::TooLarge;
                else if (refused = refusal(folder.filePath(info.fileName())); !refused.isEmpty())
                    kind = Item::Kind::Refused;
                else if (!isTaken(folder, info.fileName()))
                    kind = Item::Kind::Image;
                else if (!folderPaths.contains(folder.filePath(info.fileName()).toCaseFolded()))
                    kind = Item::Kind::Present;
                else {
                    // A rename cannot put a file in a folder's place: the copy would fail at the
                    // end.
                    kind = Item::Kind::Refused;
                    refused = tr("a folder of that name is there");
                }
                if (kind == Item::Kind::Image || kind == Item::Kind::Present)
                    taken.insert(folder.filePath(info.fileName()).toCaseFolded());
            }
            qint64 replaces = 0;
            if (kind == Item::Kind::Present && !deviceRoot.isEmpty()) {
                const QString dir = folder.under(deviceRoot);
                for (const QString &old : CopyCommit::imageFiles(dir, info.fileName()))
                    replaces += roundUp(QFileInfo(dir + old).size(), planned.cluster);
            }
            Item entry { item.path, folder, kind, info.size(), replaces, true, true, refused, 0 };
            if (kind == Item::Kind::Image || kind == Item::Kind::Present) {
                entry.foldersMade = foldersMade(folder);
                const IsoImageInfo header = IsoHeaderCache::read(info);
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
        const QString &part = parts.at(i);
        const FatName::Problem problem = FatName::check(part);
        QString why;
        if (problem != FatName::Problem::None)
            why = FatName::reason(problem);
        else if (!FatName::isLatin1(part))
            why = tr("the discwand is told which image to boot in Western European letters "
                     "(Latin-1) only");
        else
            continue;
        if (i < parts.size() - 1)
            why = tr("its folder \"%1\": %2").arg(part, why);
        const QString fix = FatName::fixed(part);
        if (!fix.isEmpty())
            why = tr("%1; \"%2\" would do").arg(why, fix);
        return why;
    }
    return {};
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
