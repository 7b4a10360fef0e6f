// The controller's copy queue: one file at a time to the worker, progress rows, cancel,
// failure reports.
#include "ui/discshelf.h"

#include "copy/isocopyworker.h"
#include "detect/scsidrivedetector.h"
#include "ui/constants.h"

#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>

void discShelf::startNextCopy()
{
    // Starting a copy the closing window could no longer report on helps nobody.
    if (closing) {
        copyQueue.clear();
        startDeferred = false;
        return;
    }
    const QPointer<discShelf> self(this);
    if (detector->drivePath().isEmpty()) {
        deviceGoneBox->exec();
        if (self)
            cancelAllFileCopies();
        return;
    }
    if (!detector->isWritable()) {
        writeFailedBox->exec();
        if (self)
            cancelAllFileCopies();
        return;
    }
    // Cancel All or the selector download may have emptied the queue meanwhile.
    if (copyIndex < 0 || copyIndex >= copyQueue.size())
        return;

    const CopyEntry entry = copyQueue.at(copyIndex);
    copyingName = QFileInfo(entry.sourceFile).fileName();
    copyingTarget = entry.relDir + copyingName;
    ui.lblCurrentFile->setText(copyingName.left(8));
    emit startFileCopy(detector->drivePath() + entry.relDir, entry.sourceFile);
}

void discShelf::fileCopyDone()
{
    copyingName.clear();
    copyingTarget.clear();
    ui.progressBarCurrentFile->setValue(0);
    if (startDeferred) {
        // The report belonged to a dropped batch; the waiting one starts at its first entry.
        startDeferred = false;
        startNextCopy();
        updateCopyWidgets();
        buildIsoList();
        return;
    }
    ++copyIndex;
    if (copyIndex < copyQueue.size()) {
        startNextCopy();
        updateCopyWidgets();
        buildIsoList();
    } else {
        copyQueue.clear();
        updateCopyWidgets();
        buildIsoList();
    }
}

void discShelf::fileCopyFailed(int code)
{
    // Codes 1 and 3 fail before anything is written; the rest may leave a ".temp" behind when
    // the stick was pulled out, since the worker cannot clean a volume that is gone.
    if (code != 1 && code != 3 && !copyingTarget.isEmpty())
        staleTemps.insert(copyingTarget);
    QString name = copyingName;
    if (name.isEmpty() && copyIndex >= 0 && copyIndex < copyQueue.size())
        name = QFileInfo(copyQueue.at(copyIndex).sourceFile).fileName();

    QString message;
    switch (code) {
    case 1:
        message = tr("Couldn't create path on discwand.");
        break;
    case 2:
        message = tr("Couldn't open destination file.");
        break;
    case 3:
        message = tr("Couldn't open source file.");
        break;
    case 4:
        message = tr("Couldn't write to destination file (out of space?).");
        break;
    case 5:
        message = tr("Couldn't read from source file.");
        break;
    case 6:
        message = tr("Couldn't rename temporary file.");
        break;
    default:
        message = tr("Uknown");
        break;
    }

    if (!closing) {
        const QPointer<discShelf> self(this);
        const QPointer<QMessageBox> box = new QMessageBox(this);
        box->setWindowTitle(tr("Copy failed!"));
        box->setIcon(QMessageBox::Critical);
        box->setModal(true);
        box->setText(
            tr("File: %1\nError: %2\n\nIf this problem persists please contact ").arg(name, message)
            + Discshelf::supportAddress);
        box->exec();
        if (!self)
            return;
        delete box;
    }
    fileCopyDone();
}

void discShelf::cancelFileCopy()
{
    copyWorker->cancel();
}

void discShelf::cancelAllFileCopies()
{
    copyQueue.clear();
    startDeferred = false;
    copyWorker->cancel();
}

void discShelf::updateFileProgress(int value, int total)
{
    QProgressBar *bar = ui.progressBarCurrentFile;
    // A download of unknown length reports total -1: show the busy indicator, not a percentage.
    if (total < 0) {
        bar->setRange(0, 0);
    } else {
        if (bar->minimum() != 0)
            bar->setMinimum(0);
        if (total != bar->maximum())
            bar->setMaximum(total);
        bar->setValue(value);
    }
    ui.progressBarOverall->setValue(copyIndex * 100 + value);
}

void discShelf::updateCopyWidgets()
{
    const int n = copyQueue.size();
    const int i = copyIndex;
    const bool more = n > i + 1;
    if (more) {
        ui.lblOverallProgress->setText(tr("File %1 of %2").arg(i + 1).arg(n));
        ui.progressBarOverall->setMaximum(n * 100);
        ui.progressBarOverall->setValue(i * 100);
    }
    ui.lblCurrentFile->setVisible(n > 0);
    ui.btnCancelCurrentFile->setVisible(n > 0);
    ui.progressBarCurrentFile->setVisible(n > 0);
    ui.btnCancelAll->setVisible(more);
    ui.lblOverallProgress->setVisible(more);
    ui.progressBarOverall->setVisible(more);
}

void discShelf::removeStaleTemps()
{
    const QString root = detector->drivePath();
    for (auto it = staleTemps.begin(); it != staleTemps.end();) {
        // Only the ".temp" of a copy not running now: nothing else of that name is ours alone.
        if (*it == copyingTarget) {
            ++it;
            continue;
        }
        // A stick pulled out a moment ago may still be the known device, its mount point empty:
        // only a removal that worked settles the entry.
        it = QFile::remove(root + *it + QStringLiteral(".temp")) ? staleTemps.erase(it) : std::next(it);
    }
}
