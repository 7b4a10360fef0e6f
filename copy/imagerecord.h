// What the stick holds, as Discshelf wrote and last checked it: each image's path, size, parts,
// SHA-256, time and when it was verified, in the hidden file config/.image-record.txt. The
// stick itself never reads it; a stick without one has nothing recorded yet. The file is
// replaced whole (written beside, synced, renamed over), so it is never seen half written.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

struct RecordedImage
{
    QString path; // from the device root, a split image without its part number: "/linux/a.iso"
    qint64 size = 0; // all parts together
    int parts = 1;
    QByteArray sha256; // lower-case hex
    qint64 modified = 0; // the first file's modification time, ms since the epoch
    QDateTime verified; // when its bytes were last known to match sha256
    QString published; // the checksum file it matched when copied ("SHA256SUMS"), if any
};

class ImageRecord
{
public:
    // From the device root: the record, and its next version as it is written beside it (a
    // write cut off before its rename leaves it behind).
    static const QString filePath;
    static const QString pendingPath;

    // The images recorded on the stick at root, empty when it has no record. ok is false when
    // a record is there but cannot be read, or is of a later format, which is then never
    // written over.
    static QList<RecordedImage> read(const QString &root, bool *ok = nullptr);
    // The entry for path, letter case aside as FAT compares names.
    static std::optional<RecordedImage> find(const QList<RecordedImage> &images,
                                             const QString &path);
    // Adds or replaces the entry of image.path, durably.
    static bool put(const QString &root, const RecordedImage &image);
    // Drops the entries of these paths; the record is written only when one was there.
    static bool forget(const QString &root, const QStringList &paths);
    // Replaces the record with these entries.
    static bool write(const QString &root, const QList<RecordedImage> &images);

    // The path an image is recorded under for a file of it ("/a.iso" for "/a.iso.0").
    static QString imagePath(const QString &filePath);
    // The entry for the image at path on the stick as it is now: size, parts and time from its
    // files, the hash and times as given. nullopt when no whole image is there.
    static std::optional<RecordedImage> describe(const QString &root, const QString &path);
    // Whether the files of the image still have the size and time recorded (within FAT's
    // two-second clock).
    static bool sameFiles(const RecordedImage &recorded, const RecordedImage &now);
};
