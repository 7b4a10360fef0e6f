// Copies one image onto the device in the copy thread: through a ".temp" file, split into
// numbered parts above the part limit, cancellable between chunks.
#pragma once

#include <QObject>
#include <QString>
#include <atomic>

class isoCopyWorker : public QObject
{
    Q_OBJECT
public:
    isoCopyWorker();
    ~isoCopyWorker() override;

    // Called directly from the GUI thread while copyFile may run in the worker's thread.
    void cancel();
    // Also called directly: cancels the running copy and every copy still queued for the
    // worker, which then report finished() without touching the device.
    void shutDown();

signals:
    void finished();
    void failed(int code);
    void progressUpdate(int value, int total);

public slots:
    void copyFile(QString destDir, QString sourceFile);

private:
    // Removes P, P.temp and every numbered part of P, skipping what is absent or stuck.
    void removeCopyFiles(QString path);

    std::atomic<bool> cancelRequested { false };
    std::atomic<bool> stopping { false };
    // Carries each chunk when the kernel cannot copy between the two files itself.
    char* buffer = nullptr;
    const qint64 chunkSize = 6291456;
};
