#include "copy/dropadmission.h"

#include "copy/admissionprompts.h"
#include "copy/copycommit.h"
#include "copy/fatname.h"
#include "copy/filehead.h"
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
    // A listed image's place among its folder's heads, which tell its size and header.
    qsizetype head = -1;
};

// Images are "*.iso" in any letter case, as the listing has them: an image copied shows in it.
bool hasImageSuffix(const QString &name)
{
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    return dot >= 0
        && QStringView(name).mid(dot + 1).compare(QLatin1String("iso"), Qt::CaseInsensitive) == 0;
}

// The details and headers of a listed folder's images, which its listing left to this: opened
// by its name from the folder's handle, an image tells its size and time, and its header is
// read unless the cache holds it for them. It is most of an admission's time, and an open and a
// read of each wait on the system, not on us: a second thread reads them while the checks go
// on, from the last, the order the checks take them in, and the checking thread reads the next
// itself whenever the one it needs is not done yet.
class FolderHeads
{
public:
    // dir: the folder, with a separator at its end; names: its images'; images: their paths.
    FolderHeads(const QString &dir, const QStringList &names, QList<IsoHeaderCache::Image> images,
                const std::atomic<bool> &abort)
        : folder(dir)
        , names(names)
        , images(std::move(images))
        , done(new std::atomic<bool>[size_t(this->images.size())])
        , abort(abort)
    {
        for (qsizetype i = 0; i < this->images.size(); ++i)
            done[size_t(i)] = false;
        IsoHeaderCache::recall(this->images);
        each = this->images.data(); // no detach looked for by two threads
        if (this->images.size() >= 8) // a thread costs more than the few it would share
            helper = std::thread([this] {
                while (!stop && !this->abort && readNext()) { }
            });
    }
    // Waits for the second thread, and keeps what was read in the cache.
    ~FolderHeads()
    {
        stop = true;
        if (helper.joinable())
            helper.join();
        IsoHeaderCache::keep(images);
    }
    FolderHeads(const FolderHeads &) = delete;
    FolderHeads &operator=(const FolderHeads &) = delete;

    // Image i once its details and header are known: size -1 when it is gone or no file
    // any more. Nothing once abort turns true.
    const IsoHeaderCache::Image *wait(qsizetype i)
    {
        while (!done[size_t(i)].load(std::memory_order_acquire)) {
            if (abort)
                return nullptr;
            if (!readNext())
                std::this_thread::yield(); // the other thread has it in hand
        }
        return &each[i];
    }

    const QString &path(qsizetype i) const { return each[i].path; }

private:
    // Reads the next image still to do; false when none is left.
    bool readNext()
    {
        const qsizetype i = images.size() - 1 - next++;
        if (i < 0)
            return false;
        read(each[i], names.at(i));
        done[size_t(i)].store(true, std::memory_order_release);
        return true;
    }

    void read(IsoHeaderCache::Image &image, const QString &name)
    {
        // An image the cache holds is only looked at, which costs less than an open, while the
        // folder's images are found unchanged (a folder dropped again); once one has changed
        // (a folder of images made anew), the next are opened at once.
        qint64 size = -1, modified = -1;
        if (image.held && !changedSeen.load(std::memory_order_relaxed)) {
            if (!folder.details(name, size, modified)) {
                image.size = -1;
                return;
            }
            if (size == image.size && modified == image.modified)
                return;
            changedSeen.store(true, std::memory_order_relaxed);
        }
        const FileHead::Folder::File file = folder.open(name);
        size = file.size;
        modified = file.modified;
        if (file.state == FileHead::Folder::File::State::NoFile
            || (file.state == FileHead::Folder::File::State::Missing
                && !folder.details(name, size, modified))) {
            image.size = -1;
            return;
        }
        if (image.held && size == image.size && modified == image.modified) {
            changedSeen.store(false, std::memory_order_relaxed);
            return;
        }
        image.size = size;
        image.modified = modified;
        // One that cannot be opened is still there, with a header that says nothing.
        char head[IsoImageInfo::headLength];
        image.info = IsoImageInfo::parseHead(
            head, file.read(IsoImageInfo::headOffset, head, int(sizeof head)));
        image.read = true;
    }

    const FileHead::Folder folder;
    const QStringList names;
    QList<IsoHeaderCache::Image> images;
    IsoHeaderCache::Image *each = nullptr;
    std::unique_ptr<std::atomic<bool>[]> done; // image i's details and header are known
    std::atomic<qsizetype> next { 0 }; // images taken, from the last
    const std::atomic<bool> &abort;
    std::atomic<bool> stop { false };
    std::atomic<bool> changedSeen { false }; // the last held image looked at had changed
    std::thread helper;
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
    // Those of the folder whose files are being checked.
    std::optional<FolderHeads> heads;
    QSet<QString> expanded;
    // Device paths taken, folded as FAT compares names: the queue's, this drop's, and each
    // device folder's files once it has been looked at.
    QSet<QString> taken;
    // Whether taken holds a part of a split image ("a.iso.0"): drops seldom meet one.
    bool splitTaken = false;
    const auto take = [&](const QString &folded) {
        taken.insert(folded);
        splitTaken = splitTaken || folded.endsWith(QLatin1String(".0"));
    };
    for (const QString &path : queued)
        take(path.toCaseFolded());
    QSet<QString> foldersRead;
    // Device paths of folders there, folded the same way: an image cannot take such a name.
    QSet<QString> folderPaths;
    // path: the image's device path, folded.
    const auto isTaken = [&](const DeviceFolder &folder, const QString &path) {
        if (!deviceRoot.isEmpty() && !foldersRead.contains(folder.path())) {
            foldersRead.insert(folder.path());
            const QDir dir(folder.under(deviceRoot));
            const QDir::Filters all = QDir::NoDotAndDotDot | QDir::Hidden | QDir::System;
            for (const QString &file : dir.entryList(QDir::AllEntries | all))
                take(folder.filePath(file).toCaseFolded());
            for (const QString &sub : dir.entryList(QDir::Dirs | all))
                folderPaths.insert(folder.filePath(sub).toCaseFolded());
        }
        // The worker replaces a whole copy and a split one alike, so either is present.
        return taken.contains(path) || (splitTaken && taken.contains(path + QStringLiteral(".0")));
    };
    for (const QString &name : files)
        items.append({ name, QFileInfo(name).absolutePath(), false, {}, {}, 0, 0, -1 });
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
                // No file is looked at twice: the listing tells a file's size and time, and an
                // image's come with its header. Hidden files are left out below.
                QList<FolderReader::Entry> entries;
                FolderReader::read(folder.path, entries, [](const QString &name) {
                    return !name.startsWith(QLatin1Char('.')) && !hasImageSuffix(name);
                });
                const QString at = QDir(folder.path).absolutePath();
                const QString prefix = at.endsWith(QLatin1Char('/')) ? at : at + QLatin1Char('/');
                QString below = QDir(folder.base).relativeFilePath(at);
                if (below == QLatin1String("."))
                    below.clear();
                const DeviceFolder there(dest.path() + below);
                // prefix is clean (an absolute path) and a listed name holds no separator.
                QList<IsoHeaderCache::Image> images;
                QStringList names;
                for (const FolderReader::Entry &entry : entries) {
                    if (!entry.dir && !entry.hidden && hasImageSuffix(entry.name)) {
                        IsoHeaderCache::Image image;
                        image.path = prefix + entry.name;
                        images.append(std::move(image));
                        names.append(entry.name);
                    }
                }
                heads.reset(); // the last folder's are all done
                heads.emplace(prefix, names, std::move(images), abort);
                items.reserve(items.size() + entries.size());
                qsizetype image = 0;
                for (const FolderReader::Entry &entry : entries) {
                    // As QDir lists without QDir::Hidden.
                    if (entry.hidden)
                        continue;
                    if (entry.dir) {
                        folders.append(
                            { prefix + entry.name, folder.base, false, {}, {}, 0, 0, -1 });
                    } else if (hasImageSuffix(entry.name)) { // the next of the heads
                        items.append({ heads->path(image), folder.base, true, entry.name, there,
                                       entry.size, entry.modified, image });
                        ++image;
                    } else {
                        items.append({ prefix + entry.name, folder.base, true, entry.name, there,
                                       entry.size, entry.modified, -1 });
                    }
                }
            }
        }

        while (!items.isEmpty()) {
            if (abort)
                return std::nullopt;
            const Pending item = items.takeLast();
            const IsoHeaderCache::Image *head = nullptr;
            if (item.head >= 0) {
                head = heads->wait(item.head);
                if (!head)
                    return std::nullopt;
                if (head->size < 0)
                    continue; // gone since its folder was listed
            }
            if (!item.listed)
                qCDebug(lcCopy) << "Checking" << item.path;
            if (seen)
                seen(item.path);

            QString name = item.name;
            DeviceFolder folder = item.folder;
            qint64 size = head ? head->size : item.size;
            bool isFile = true;
            // Of a dropped file only: a listed one's was told by its folder.
            std::optional<QFileInfo> dropped;
            if (!item.listed) {
                const QFileInfo &info = dropped.emplace(item.path);
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
            if (hasImageSuffix(name)) {
                const QString path = folder.filePath(name);
                const QString folded = path.toCaseFolded();
                // Checked first for every image: an overwrite needs as many parts as a new copy.
                if (!isFile)
                    kind = Item::Kind::NotRegular;
                else if (size > largestImage)
                    kind = Item::Kind::TooLarge;
                else if (refused = refusalIn(folder, name); !refused.isEmpty())
                    kind = Item::Kind::Refused;
                else if (!isTaken(folder, folded))
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
                const IsoImageInfo header = head ? head->info
                    : item.listed ? IsoHeaderCache::read(item.path, size, item.modified)
                                  : IsoHeaderCache::read(*dropped);
                entry.willBoot = header.bootable;
                entry.iso9660 = header.iso9660;
            }
            planned.items.append(std::move(entry));
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
    accepted.reserve(plan.items.size());
    QStringList left;
    const bool counted = plan.freeBytes >= 0;
    // The journal of the copy being put in place takes a cluster of its own.
    qint64 free = counted ? plan.freeBytes - plan.cluster : -1;
    bool nonImagesAsked = false;
    for (const Item &item : plan.items) {
        if (!prompts.stillWanted())
            return std::nullopt;
        // Named in a question or a list only: most of a large drop is copied without a word.
        const auto name = [&] { return QFileInfo(item.sourceFile).fileName(); };
        const qint64 need
            = isoCopyWorker::roomFor(item.size, plan.cluster) + item.foldersMade * plan.cluster;
        const bool image = item.kind == Item::Kind::Image || item.kind == Item::Kind::Present;
        if (image && !item.willBoot && !prompts.willNotBoot(name(), item.iso9660))
            continue;
        switch (item.kind) {
        case Item::Kind::TooLarge:
            prompts.tooLarge(name());
            break;
        case Item::Kind::NotRegular:
            prompts.notRegular(name());
            break;
        case Item::Kind::Refused:
            break;
        case Item::Kind::Present: {
            const bool removeFirst = counted && free < need && free + item.replaces >= need;
            if (!prompts.overwrite(name(), removeFirst))
                break;
            if (counted && free + item.replaces < need) {
                left << name();
                break;
            }
            accepted.append({ item.folder, item.sourceFile, removeFirst });
            free += item.replaces - need;
            break;
        }
        case Item::Kind::Image:
            if (counted && free < need) {
                left << name();
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
