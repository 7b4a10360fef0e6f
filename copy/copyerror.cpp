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

QString message(int code)
{
    const bool known = code >= int(CopyError::CreatePath) && code <= int(CopyError::SourceChanged);
    return QCoreApplication::translate(context, messages[known ? code : 0]);
}

QString message(CopyError error)
{
    return message(int(error));
}

bool mayLeaveTemporary(CopyError error)
{
    return error != CopyError::CreatePath && error != CopyError::OpenSource;
}

} // namespace CopyErrors
