#include "library/imageexport.h"

#include "copy/filesync.h"
#include "copy/shadigest.h"
#include "library/log.h"

#include <QFile>
#include <QFileInfo>

#include <memory>

namespace {

constexpr qint64 chunk = 4 << 20;

} // namespace

QString ImageExport::pendingName(const QString &dest)
{
    const QFileInfo info(dest);
    return info.path() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".part");
}

ImageExport::Result ImageExport::save(const QStringList &files, const QString &dest,
                                      const std::function<bool(qint64, qint64)> &progress,
                                      QByteArray *digest)
{
    qint64 total = 0;
    for (const QString &file : files) {
        if (!QFileInfo(file).isFile())
            return Result::NotFound;
        total += QFileInfo(file).size();
    }
    const QString pending = pendingName(dest);
    QFile out(pending);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return Result::WriteFailed;
    const auto fail = [&out](Result result) {
        out.close();
        out.remove();
        return result;
    };
    const std::unique_ptr<char[]> buffer(new char[chunk]);
    Sha256 read, back;
    qint64 done = 0;
    for (const QString &file : files) {
        QFile in(file);
        if (!in.open(QIODevice::ReadOnly))
            return fail(Result::ReadFailed);
        FileSync::adviseSequential(in);
        for (;;) {
            const qint64 got = in.read(buffer.get(), chunk);
            if (got < 0)
                return fail(Result::ReadFailed);
            if (got == 0)
                break;
            read.addData(buffer.get(), got);
            if (out.write(buffer.get(), got) != got)
                return fail(Result::WriteFailed);
            done += got;
            if (progress && !progress(done, 2 * total))
                return fail(Result::Stopped);
        }
    }
    if (done != total)
        return fail(Result::ReadFailed);
    if (!out.flush() || !FileSync::syncFile(out))
        return fail(Result::WriteFailed);
    out.close();
    // Read from the disk, not from what the cache still holds of the write.
    if (!out.open(QIODevice::ReadOnly))
        return fail(Result::WriteFailed);
    FileSync::dropCache(out);
    for (;;) {
        const qint64 got = out.read(buffer.get(), chunk);
        if (got <= 0)
            break;
        back.addData(buffer.get(), got);
        done += got;
        if (progress && !progress(done, 2 * total))
            return fail(Result::Stopped);
    }
    const QByteArray sum = read.result();
    if (done != 2 * total || back.result() != sum) {
        qCWarning(lcLibrary) << "The copy of" << files.value(0) << "at" << dest
                             << "does not read back as written.";
        return fail(Result::Mismatch);
    }
    out.close();
    QFile::remove(dest);
    if (!FileSync::replace(pending, dest))
        return fail(Result::WriteFailed);
    FileSync::syncDirectory(QFileInfo(dest).path());
    if (digest)
        *digest = sum;
    return Result::Done;
}
