// Examining a drop: folders expanded, images checked against the size limit and the device,
// other files confirmed once; what is accepted joins the copy queue.
#include "ui/discshelf.h"

#include "detect/scsidrivedetector.h"
#include "ui/constants.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QSet>

#include <utility>

namespace {

// Ten parts of the worker's part limit: the most its cleanup knows how to remove.
const qint64 largestImage = 40960000000LL;

// A path still to be examined, with the directory its place on the device is measured from.
struct DropItem
{
    QString path;
    QString base;
};

// Keeps the count of running examinations right on every way out, unless the window is gone.
class ExaminationCount
{
public:
    ExaminationCount(QObject *window, int &count)
        : window(window)
        , count(count)
    {
        ++count;
    }
    ~ExaminationCount()
    {
        if (window)
            --count;
    }
    ExaminationCount(const ExaminationCount &) = delete;
    ExaminationCount &operator=(const ExaminationCount &) = delete;

private:
    QPointer<QObject> window;
    int &count;
};

} // namespace

void discShelf::queueFilesToCopy(QString destDir, QStringList filenames)
{
    if (filenames.isEmpty())
        return;

    const QPointer<discShelf> self(this);
    // A stale Abort click must not cut short a drop that starts later.
    if (examining == 0)
        scanCancelled = false;
    const ExaminationCount count(this, examining);

    ui.lblScanning->show();
    ui.btnAbort->show();
    QList<CopyEntry> accepted;
    QList<DropItem> items;
    QList<DropItem> folders;
    QSet<QString> expanded;
    bool nonIsoAsked = false;

    // Dropped items land in destDir itself, whichever folder each came from; files found inside
    // a dropped folder keep their place below it.
    for (const QString &name : std::as_const(filenames))
        items.append({ name, QFileInfo(name).absolutePath() });

    while (!items.isEmpty() || !folders.isEmpty()) {
        if (!folders.isEmpty()) {
            const DropItem folder = folders.takeLast();
            // A link back up the tree would otherwise be expanded for ever.
            const QString canonical = QFileInfo(folder.path).canonicalFilePath();
            if (!expanded.contains(canonical)) {
                expanded.insert(canonical);
                const QDir dir(folder.path);
                const QFileInfoList files = dir.entryInfoList(QDir::Files, QDir::Unsorted);
                for (const QFileInfo &file : files)
                    items.append({ file.absoluteFilePath(), folder.base });
                const QFileInfoList subs
                    = dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Unsorted);
                for (const QFileInfo &sub : subs)
                    folders.append({ sub.absoluteFilePath(), folder.base });
            }
        }

        while (!items.isEmpty()) {
            const DropItem item = items.takeLast();

            QCoreApplication::processEvents();
            if (!self || closing)
                return;
            if (scanCancelled) {
                // An Abort click ends every examination in progress; the outermost clears it.
                if (examining == 1)
                    scanCancelled = false;
                return;
            }

            qDebug() << "Checking" << item.path;
            ui.lblScanning->setText(tr("Checking: ") + item.path);

            const QFileInfo info(item.path);
            QString rel = QDir(item.base).relativeFilePath(info.absolutePath());
            if (rel == QLatin1String("."))
                rel.clear();
            QString relDir = destDir + rel;
            if (!relDir.endsWith(QLatin1Char('/')))
                relDir += QLatin1Char('/');
            const QString onDevice = detector->drivePath() + relDir + info.fileName();

            if (info.isDir()) {
                folders.append(item);
                continue;
            }

            if (info.suffix().toLower() == QLatin1String("iso")) {
                // Checked first for every image: an overwrite needs as many parts as a new copy.
                if (info.size() > largestImage) {
                    QMessageBox::information(
                        this, tr("File too large!"),
                        tr("The file '%1' is over the maximum limit of ~38GiB,\nit will not be "
                           "copied. Sorry for any inconvenience.\n\nIf this is a serious problem, "
                           "please contact ")
                                .arg(info.fileName())
                            + Discshelf::supportAddress);
                    if (!self)
                        return;
                    continue;
                }
                // The worker replaces a whole copy and a split one alike, so either is asked about.
                if (QFileInfo::exists(onDevice)
                    || QFileInfo::exists(onDevice + QStringLiteral(".0"))) {
                    const auto answer = QMessageBox::question(
                        this, tr("File exists!"),
                        tr("The file '%1' already exists on your discwand. Overwrite?")
                            .arg(info.fileName()),
                        QMessageBox::No | QMessageBox::Yes);
                    if (!self)
                        return;
                    if (answer != QMessageBox::Yes)
                        continue;
                }
                accepted.append({ relDir, item.path });
                continue;
            }

            if (nonIsoAsked)
                continue;
            nonIsoAsked = true;
            const int answer = nonIsoBox->exec();
            if (!self)
                return;
            if (answer == QMessageBox::Ok)
                continue;
            if (examining == 1) {
                ui.lblScanning->hide();
                ui.btnAbort->hide();
            }
            return;
        }
    }

    // Nothing new may start once the window is on its way out.
    if (closing)
        return;

    const bool wasIdle = copyQueue.isEmpty();
    copyQueue.append(accepted);
    if (examining == 1) {
        ui.lblScanning->hide();
        ui.btnAbort->hide();
    }
    updateCopyWidgets();

    if (wasIdle && !copyQueue.isEmpty()) {
        copyIndex = 0;
        ui.progressBarOverall->setValue(0);
        ui.progressBarCurrentFile->setValue(0);
        // A copy of a dropped batch is still under way: its report starts this one.
        if (!copyingName.isEmpty())
            startDeferred = true;
        else
            startNextCopy();
        updateCopyWidgets();
    }
}
