// The file system a path lies on, by the device number the kernel gives its files.
#include "detect/discwand.h"

#include <QFile>

#include <sys/stat.h>

quint64 Discwand::fileSystemOf(const QString &path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? quint64(info.st_dev) + 1 : 0;
}
