// One line an image, tab-separated, the path last; the first line names the format and its
// version, and lines that do not parse are dropped rather than trusted.
#include "copy/imagerecord.h"

#include "copy/filesync.h"
#include "copy/imageset.h"
#include "copy/log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

const QString ImageRecord::filePath = QStringLiteral("/config/.image-record.txt");
const QString ImageRecord::pendingPath = QStringLiteral("/config/.image-record.txt.new");

namespace {

const QByteArray header = "discshelf-images 1";
constexpr qint64 fatClockMs = 2000;

QString at(const QString &root, const QString &path)
{
    return QDir::cleanPath(root + QLatin1Char('/') + path);
}

std::optional<RecordedImage> parse(const QByteArray &line)
{
    const QList<QByteArray> fields = line.split('\t');
    if (fields.size() != 7)
        return std::nullopt;
    RecordedImage image;
    bool sizeOk = false, partsOk = false, timeOk = false;
    image.sha256 = fields.at(0);
    image.size = fields.at(1).toLongLong(&sizeOk);
    image.parts = fields.at(2).toInt(&partsOk);
    image.modified = fields.at(3).toLongLong(&timeOk);
    image.verified = QDateTime::fromString(QString::fromLatin1(fields.at(4)), Qt::ISODate);
    image.published = QString::fromUtf8(fields.at(5));
    image.path = QString::fromUtf8(fields.at(6));
    if (!sizeOk || !partsOk || !timeOk || image.sha256.size() != 64 || image.parts < 1
        || !image.path.startsWith(QLatin1Char('/')))
        return std::nullopt;
    return image;
}

QByteArray format(const RecordedImage &image)
{
    QString published = image.published;
    published.replace(QLatin1Char('\t'), QLatin1Char(' '));
    return image.sha256 + '\t' + QByteArray::number(image.size) + '\t'
        + QByteArray::number(image.parts) + '\t' + QByteArray::number(image.modified) + '\t'
        + image.verified.toUTC().toString(Qt::ISODate).toLatin1() + '\t' + published.toUtf8() + '\t'
        + image.path.toUtf8() + '\n';
}

} // namespace

QList<RecordedImage> ImageRecord::read(const QString &root, bool *ok)
{
    QList<RecordedImage> images;
    if (ok)
        *ok = true;
    QFile file(at(root, filePath));
    if (!file.exists())
        return images;
    if (!file.open(QIODevice::ReadOnly)) {
        if (ok)
            *ok = false;
        return images;
    }
    const QList<QByteArray> lines = file.readAll().split('\n');
    if (lines.value(0).trimmed() != header) {
        qCWarning(lcCopy) << "The record of images on the stick is of an unknown format.";
        if (ok)
            *ok = false;
        return images;
    }
    for (qsizetype i = 1; i < lines.size(); ++i)
        if (const std::optional<RecordedImage> image = parse(lines.at(i)))
            images << *image;
    return images;
}

std::optional<RecordedImage> ImageRecord::find(const QList<RecordedImage> &images,
                                               const QString &path)
{
    for (const RecordedImage &image : images)
        if (image.path.compare(path, Qt::CaseInsensitive) == 0)
            return image;
    return std::nullopt;
}

bool ImageRecord::write(const QString &root, const QList<RecordedImage> &images)
{
    const QString config = at(root, QStringLiteral("config"));
    if (!QFileInfo(config).isDir() && !QDir().mkdir(config))
        return false;
    QByteArray text = header + '\n';
    for (const RecordedImage &image : images)
        text += format(image);
    const QString target = at(root, filePath);
    QFile next(at(root, pendingPath));
    // One left by a write cut off goes first: a file cut short in place is what some FAT
    // drivers handle worst.
    if (next.exists())
        next.remove();
    const bool written = next.open(QIODevice::WriteOnly | QIODevice::NewOnly)
        && next.write(text) == text.size() && next.flush() && FileSync::syncFile(next);
    next.close();
    if (!written || !FileSync::replace(next.fileName(), target)) {
        next.remove();
        qCWarning(lcCopy) << "The record of images on the stick could not be written.";
        return false;
    }
    return FileSync::settle(config, { QFileInfo(target).fileName() });
}

bool ImageRecord::put(const QString &root, const RecordedImage &image)
{
    bool ok = false;
    QList<RecordedImage> images = read(root, &ok);
    if (!ok)
        return false;
    images.removeIf([&](const RecordedImage &old) {
        return old.path.compare(image.path, Qt::CaseInsensitive) == 0;
    });
    images << image;
    return write(root, images);
}

bool ImageRecord::forget(const QString &root, const QStringList &paths)
{
    bool ok = false;
    QList<RecordedImage> images = read(root, &ok);
    if (!ok)
        return false;
    const qsizetype gone = images.removeIf(
        [&](const RecordedImage &old) { return paths.contains(old.path, Qt::CaseInsensitive); });
    return gone == 0 || write(root, images);
}

QString ImageRecord::imagePath(const QString &filePath)
{
    int part = -1;
    const QString name = ImageSet::imageOf(filePath.section(QLatin1Char('/'), -1), &part);
    return filePath.section(QLatin1Char('/'), 0, -2) + QLatin1Char('/') + name;
}

std::optional<RecordedImage> ImageRecord::describe(const QString &root, const QString &path)
{
    const QString dir = at(root, path.section(QLatin1Char('/'), 0, -2));
    const ImageSet set = ImageSet::read(dir, path.section(QLatin1Char('/'), -1));
    if (set.isDoubled() || set.isBroken() || (set.whole.isEmpty() && !set.isSplit()))
        return std::nullopt;
    RecordedImage image;
    image.path = path;
    image.size = set.isSplit() ? set.partBytes() : set.wholeSize;
    image.parts = set.isSplit() ? int(set.parts.size()) : 1;
    const QString first = set.isSplit() ? set.parts.first().file : set.whole;
    image.modified = QFileInfo(dir + QLatin1Char('/') + first).lastModified().toMSecsSinceEpoch();
    return image;
}

bool ImageRecord::sameFiles(const RecordedImage &recorded, const RecordedImage &now)
{
    return recorded.size == now.size && recorded.parts == now.parts
        && qAbs(recorded.modified - now.modified) <= fatClockMs;
}
