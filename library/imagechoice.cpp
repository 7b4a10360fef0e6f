#include "library/imagechoice.h"

#include "detect/scsidrivedetector.h"
#include "library/log.h"

#include <QDir>
#include <QFile>

QString ImageChoice::bootName(const QString &imagePath)
{
    QString path = imagePath;
    if (path.endsWith(QLatin1String(".0")))
        path.chop(2);
    return path;
}

ImageChoice::Result ImageChoice::choose(const QString &imagePath) const
{
    const QString root = detector.drivePath();
    if (root.isEmpty())
        return Result::NoDevice;
    if (!detector.isWritable())
        return Result::NotWritable;

    const QString path = bootName(imagePath);
    qCDebug(lcLibrary) << "Loading ISO:" << path;

    QDir rootDir(root);
    if (!rootDir.exists(QStringLiteral("config")) && !rootDir.mkdir(QStringLiteral("config")))
        return Result::WriteFailed;
    QFile file(root + QStringLiteral("config/iso_filename.txt"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return Result::WriteFailed;
    // The device reads one byte per character and no line ending.
    if (file.write(path.toLatin1()) != path.length())
        return Result::WriteFailed;
    file.flush();
    file.close();
    return Result::Written;
}
