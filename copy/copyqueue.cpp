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
    Q_UNUSED(value);
    Q_UNUSED(total);
}

void discShelf::updateCopyWidgets() {}
