#include "copy/isocopyworker.h"

isoCopyWorker::isoCopyWorker() = default;

isoCopyWorker::~isoCopyWorker()
{
    delete[] buffer;
}

void isoCopyWorker::cancel()
{
    cancelRequested = true;
}

void isoCopyWorker::copyFile(QString destDir, QString sourceFile)
{
    Q_UNUSED(destDir);
    Q_UNUSED(sourceFile);
    cancelRequested = false;
    emit failed(2);
}
