#include "copy/dropadmission.h"

#include "copy/admissionprompts.h"
#include "copy/log.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSet>
#include <QThread>

namespace {

// A path still to be examined, with the folder its place on the device is measured from.
struct Pending {
    QString path;
    QString base;
};

// Reporting every path would flood the GUI thread on a folder of ten thousand files.
constexpr int reportEveryMs = 100;

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
                            const QStringList &files)
{
    if (thread)
        return;
    stop = false;
    result.reset();
    thread = QThread::create([this, deviceRoot, dest, files] {
        QElapsedTimer sinceReport;
        result = plan(deviceRoot, dest, files, stop, [&](const QString &path) {
            if (!sinceReport.isValid() || sinceReport.elapsed() >= reportEveryMs) {
                sinceReport.start();
                emit examining(path);
            }
        });
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
    const std::atomic<bool> &abort, const std::function<void(const QString &)> &seen)
{
    Plan planned;
    QList<Pending> items;
    QList<Pending> folders;
    QSet<QString> expanded;
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
                const QString onDevice = deviceRoot + folder.filePath(info.fileName());
                // Checked first for every image: an overwrite needs as many parts as a new copy.
                // The worker replaces a whole copy and a split one alike, so either is present.
                if (info.size() > largestImage)
                    kind = Item::Kind::TooLarge;
                else if (!deviceRoot.isEmpty()
                         && (QFileInfo::exists(onDevice)
                             || QFileInfo::exists(onDevice + QStringLiteral(".0"))))
                    kind = Item::Kind::Present;
                else
                    kind = Item::Kind::Image;
            }
            planned.append({ item.path, folder, kind });
        }
    }
    return planned;
}

std::optional<QList<CopyEntry>> DropAdmission::decide(const Plan &plan, AdmissionPrompts &prompts)
{
    QList<CopyEntry> accepted;
    bool nonImagesAsked = false;
    for (const Item &item : plan) {
        const QString name = QFileInfo(item.sourceFile).fileName();
        switch (item.kind) {
        case Item::Kind::TooLarge:
            prompts.tooLarge(name);
            break;
        case Item::Kind::Present:
            if (prompts.overwrite(name))
                accepted.append({ item.folder, item.sourceFile });
            break;
        case Item::Kind::Image:
            accepted.append({ item.folder, item.sourceFile });
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
    return accepted;
}
