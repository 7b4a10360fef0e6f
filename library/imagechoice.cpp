#include "library/imagechoice.h"

#include "copy/fatname.h"
#include "copy/filesync.h"
#include "detect/scsidrivedetector.h"
#include "library/log.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

const QString ImageChoice::pendingPath = QStringLiteral("/config/.iso_filename.txt.new");

QString ImageChoice::bootName(const QString &imagePath)
{
    QString path = imagePath;
    if (path.endsWith(QLatin1String(".0")))
        path.chop(2);
    return path;
}

QString ImageChoice::chosenText(const QString &imagePath)
{
    return QCoreApplication::translate("ImageChoice", "The discwand will boot %1 from now on.")
        .arg(bootName(imagePath));
}

QString ImageChoice::notLatin1Text(const QString &imagePath)
{
    return QCoreApplication::translate(
               "ImageChoice",
               "The discwand is told which image to load in Western European letters (Latin-1) "
               "only, and \"%1\" has other characters. Rename it to load it.")
        .arg(FatName::firstNotLatin1(bootName(imagePath)));
}

ImageChoice::Result ImageChoice::choose(const QString &imagePath) const
{
    const Result allowedNow = allowed(imagePath);
    return allowedNow == Result::Written ? write(detector.discwand().root(), imagePath)
                                         : allowedNow;
}

ImageChoice::Result ImageChoice::allowed(const QString &imagePath) const
{
    const Discwand stick = detector.discwand();
    if (stick.root().isEmpty())
        return Result::NoDevice;
    // A character the device cannot be told would name a file that does not exist.
    if (!FatName::isLatin1(bootName(imagePath)))
        return Result::NotLatin1;
    if (const Discwand::Access access = stick.access();
        access != Discwand::Access::Writable)
        return access == Discwand::Access::Gone ? Result::DeviceGone : Result::NotWritable;
    return Result::Written;
}

ImageChoice::Result ImageChoice::write(const QString &root, const QString &imagePath)
{
    const QString path = bootName(imagePath);
    const QByteArray bytes = path.toLatin1();
    if (QString::fromLatin1(bytes) != path)
        return Result::NotLatin1;
    qCDebug(lcLibrary) << "Loading ISO:" << path;

    QDir rootDir(root);
    if (!rootDir.exists(QStringLiteral("config")) && !rootDir.mkdir(QStringLiteral("config")))
        return Result::WriteFailed;
    const QString config = root + QStringLiteral("config");
    const QString target = config + QStringLiteral("/iso_filename.txt");
    QFile next(QDir::cleanPath(root + pendingPath));
    // The device reads one byte per character and no line ending.
    const bool written = next.open(QIODevice::WriteOnly | QIODevice::Truncate)
        && next.write(bytes) == bytes.size() && next.flush() && FileSync::syncFile(next);
    next.close();
    if (!written || !FileSync::replace(next.fileName(), target)) {
        next.remove();
        return Result::WriteFailed;
    }
    if (!FileSync::settle(config, { QStringLiteral("iso_filename.txt") }))
        return Result::WriteFailed;
    // Read from the device, not from what the cache still holds of the write.
    QFile back(target);
    if (!back.open(QIODevice::ReadOnly))
        return Result::WriteFailed;
    FileSync::dropCache(back);
    if (back.readAll() != bytes)
        return Result::WriteFailed;
    return Result::Written;
}
