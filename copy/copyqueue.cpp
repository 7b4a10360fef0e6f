// The controller's copy queue: admission checks, batches, progress rows, cancel.
#include "ui/discshelf.h"

#include "copy/isocopyworker.h"

void discShelf::queueFilesToCopy(QString destDir, QStringList filenames)
{
    Q_UNUSED(destDir);
    Q_UNUSED(filenames);
}

void discShelf::startNextCopy() {}

void discShelf::fileCopyDone() {}

void discShelf::fileCopyFailed(int code)
{
    Q_UNUSED(code);
}

void discShelf::cancelFileCopy()
{
    copyWorker->cancel();
}

void discShelf::cancelAllFileCopies()
{
    copyQueue.clear();
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

void discShelf::updateCopyWidgets() {}
