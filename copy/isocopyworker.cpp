// Copies one image onto the device: source opened first, old copies cleared, data moved in
// chunks through P.temp, renamed to P or to P.0, P.1 ... once each part is safely on disk.
#include "copy/isocopyworker.h"

#include "copy/filesync.h"

#include "copy/log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

// FAT32 cannot hold a file of 4 GiB; parts stay below this decimal limit.
constexpr qint64 partLimit = 4096000000;
constexpr int progressTotal = 100;

QString partName(const QString& path, int index)
{
    return path + QLatin1Char('.') + QString::number(index);
}

} // namespace

isoCopyWorker::isoCopyWorker() = default;

isoCopyWorker::~isoCopyWorker()
{
    delete[] buffer;
}

void isoCopyWorker::cancel()
{
    cancelRequested = true;
}

void isoCopyWorker::shutDown()
{
    stopping = true;
    cancelRequested = true;
}

void isoCopyWorker::copyFile(QString destDir, QString sourceFile)
{
    if (!buffer)
        buffer = new char[chunkSize];
    cancelRequested = false;
    // Checked after the reset: a shutdown racing with it still stops this copy.
    if (stopping) {
        emit finished();
        return;
    }

    sourceFile = QDir::toNativeSeparators(sourceFile);
    const QString path = QDir::toNativeSeparators(destDir + QFileInfo(sourceFile).fileName());
    const QString tempPath = path + QStringLiteral(".temp");
    qCDebug(lcCopy) << "Copying" << sourceFile << "to" << path;

    if (!QDir().mkpath(destDir)) {
        emit failed(1);
        return;
    }
    // Open the source before clearing the old image, so an unreadable source costs nothing.
    QFile source(sourceFile);
    if (!source.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        emit failed(3);
        return;
    }
    // Larger read-ahead on the source; measured faster for multi-gigabyte images.
    FileSync::adviseSequential(source);
    removeCopyFiles(path);

    QFile temp(tempPath);
    if (!temp.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        emit failed(2);
        return;
    }

    const qint64 size = source.size();
    const int percentStep = int(size / 100);
    emit progressUpdate(0, progressTotal);

    int partIndex = 0;
    qint64 inPart = 0;
    bool inKernel = true;
    qint64 remaining = source.size();
    // Stops the copy with code, leaving nothing of it behind.
    const auto fail = [&](int code) {
        emit failed(code);
        temp.close();
        removeCopyFiles(path);
    };

    while (!cancelRequested && remaining > 0) {
        const qint64 chunk = qMin(remaining, chunkSize);
        if (inPart + chunk > partLimit) {
            // Without this the stick may still be filling from the page cache when the user
            // unplugs it.
            if (!FileSync::syncFile(temp))
                return fail(4);
            temp.close();
            if (!QFile::rename(tempPath, partName(path, partIndex)))
                return fail(6);
            ++partIndex;
            inPart = 0;
            if (!temp.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
                return fail(2);
        }
        switch (FileSync::transferChunk(source, temp, buffer, chunk, inKernel)) {
        case FileSync::Transfer::Done:
            break;
        case FileSync::Transfer::SourceShort:
            return fail(5);
        case FileSync::Transfer::WriteFailed:
            return fail(4);
        }
        // Start the device writing now instead of leaving it all to the final sync; nothing
        // waits here, the chunk is only handed to writeback.
        FileSync::startWriteback(temp, inPart, chunk);
        remaining -= chunk;
        inPart += chunk;

        const qint64 copied = source.size() - remaining;
        // Below 100 bytes there is no whole hundredth to count in; the one chunk is all of it.
        const int value = percentStep > 0 ? int(copied / percentStep)
                                          : int(copied * progressTotal / qMax<qint64>(size, 1));
        emit progressUpdate(value, progressTotal);
    }

    if (!cancelRequested && !FileSync::syncFile(temp))
        return fail(4);
    temp.close();
    source.close();

    if (cancelRequested) {
        removeCopyFiles(path);
        emit finished();
        return;
    }

    const QString finalName = partIndex > 0 ? partName(path, partIndex) : path;
    if (!QFile::rename(tempPath, finalName)) {
        emit failed(6);
        removeCopyFiles(path);
        return;
    }
    // Makes the renames themselves durable.
    FileSync::syncDirectory(QFileInfo(path).absolutePath());
    emit finished();
}

void isoCopyWorker::removeCopyFiles(QString path)
{
    QFile::remove(path);
    QFile::remove(path + QStringLiteral(".temp"));
    // By name first, which also catches parts whose letter case differs on a FAT volume.
    int index = 0;
    while (QFile::remove(partName(path, index)))
        ++index;
    // Then any part after a gap in the numbering.
    const QFileInfo info(path);
    const QString prefix = info.fileName() + QLatin1Char('.');
    const QDir dir = info.absoluteDir();
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        if (!name.startsWith(prefix) || name.size() == prefix.size())
            continue;
        const QStringView suffix = QStringView(name).mid(prefix.size());
        const auto isDigit = [](QChar c) { return c >= u'0' && c <= u'9'; };
        if (std::all_of(suffix.begin(), suffix.end(), isDigit))
            QFile::remove(dir.filePath(name));
    }
}
