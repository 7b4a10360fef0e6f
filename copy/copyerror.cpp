#include "copy/copyerror.h"

#include <QCoreApplication>

namespace CopyErrors {

namespace {

// The window has always shown these under its own name; translations keep that context.
const char *const context = "discShelf";
const char *const messages[] = {
    QT_TRANSLATE_NOOP("discShelf", "Uknown"),
    QT_TRANSLATE_NOOP("discShelf", "Couldn't create path on discwand."),
    QT_TRANSLATE_NOOP("discShelf", "Couldn't open destination file."),
    QT_TRANSLATE_NOOP("discShelf", "Couldn't open source file."),
    QT_TRANSLATE_NOOP("discShelf", "Couldn't write to destination file (out of space?)."),
    QT_TRANSLATE_NOOP("discShelf", "Couldn't read from source file."),
    QT_TRANSLATE_NOOP("discShelf", "Couldn't rename temporary file."),
    QT_TRANSLATE_NOOP("discShelf",
                      "The copy on the discwand differs from the file; it was removed so that it "
                      "is never booted."),
    QT_TRANSLATE_NOOP("discShelf", "The discwand disappeared."),
    QT_TRANSLATE_NOOP("discShelf", "The discwand is full."),
    QT_TRANSLATE_NOOP("discShelf", "The discwand's file system cannot hold a file this large."),
    QT_TRANSLATE_NOOP("discShelf",
                      "The file changed while it was copied; the discwand keeps what it had."),
};

} // namespace

QString message(CopyError error, const QString &sums)
{
    static const char *const mismatch = QT_TRANSLATE_NOOP(
        "discShelf", "The image does not match the checksum published in %1; it was not copied.");
    static const char *const mismatchGiven = QT_TRANSLATE_NOOP(
        "discShelf", "The image does not match the checksum given; it was not copied.");
    static const char *const unreadable = QT_TRANSLATE_NOOP(
        "discShelf", "The checksum file %1 cannot be read; the image was not copied.");
    static const char *const download = QT_TRANSLATE_NOOP("discShelf", "The download failed.");
    static const char *const conflict = QT_TRANSLATE_NOOP(
        "discShelf", "%1 lists the image twice with different checksums; it was not copied.");
    switch (error) {
    case CopyError::ChecksumMismatch:
        return sums.isEmpty() ? QCoreApplication::translate(context, mismatchGiven)
                              : QCoreApplication::translate(context, mismatch).arg(sums);
    case CopyError::ChecksumUnreadable:
        return QCoreApplication::translate(context, unreadable).arg(sums);
    case CopyError::ChecksumConflict:
        return QCoreApplication::translate(context, conflict).arg(sums);
    case CopyError::DownloadFailed:
        return QCoreApplication::translate(context, download);
    default:
        break;
    }
    const int code = int(error);
    const bool known = code >= int(CopyError::CreatePath) && code <= int(CopyError::SourceChanged);
    return QCoreApplication::translate(context, messages[known ? code : 0]);
}

QString message(int code)
{
    return message(CopyError(code));
}

bool mayLeaveTemporary(CopyError error)
{
    return error != CopyError::CreatePath && error != CopyError::OpenSource;
}

} // namespace CopyErrors
