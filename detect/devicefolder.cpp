#include "detect/devicefolder.h"

#include <QStringList>

DeviceFolder::DeviceFolder(const QString &path)
{
    const QStringList names = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString &name : names)
        where += name + QLatin1Char('/');
}

DeviceFolder DeviceFolder::child(const QString &name) const
{
    DeviceFolder folder;
    folder.where = where + name + QLatin1Char('/');
    return folder;
}
