// Checks the stick's images against its record: each image is read again from the device (its
// pages dropped from the cache first, so the flash is read and not memory) and hashed, and the
// verdict says whether it is as recorded. Images not recorded yet, or changed outside
// Discshelf, are recorded as they are now.
#pragma once

#include "copy/imagerecord.h"

#include <QCoreApplication>
#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

class IsoListing;

struct ImageVerdict
{
    enum class Kind {
        Intact,
        Changed, // its size or time differ from the record: written outside Discshelf
        Damaged, // same size and time, other bytes: the flash lost them
        NotRecorded, // recorded now
        Missing, // recorded, but not on the stick
        Unreadable, // the device would not give all its bytes
    };
    Kind kind = Kind::Intact;
    QString path;
    RecordedImage now; // as read now; its hash empty when it was not read whole
    RecordedImage recorded; // the entry before the check; path empty without one
    QByteArray sha512; // hex, when asked for

    // "intact", "changed", "damaged", "not-recorded", "missing", "unreadable"
    QString name() const;
    // For people: "intact", "damaged: …".
    QString text() const;
};

class ImageCheck
{
    Q_DECLARE_TR_FUNCTIONS(ImageCheck)
public:
    explicit ImageCheck(const QString &deviceRoot);

    // The whole images of the listing (paths as the record has them), and those the record
    // names that are not on the stick.
    static QStringList everything(const QString &deviceRoot, const IsoListing &listing);
    // The bytes the images at these paths hold together, for the progress.
    qint64 bytesOf(const QStringList &paths) const;

    // Reads and judges one image; progress gets the bytes read of this image so far. With
    // sha512 its SHA-512 is computed as well, for a checksum file that gives only that.
    ImageVerdict check(const QString &path, const std::function<void(qint64)> &progress,
                       const std::atomic<bool> &cancel, bool sha512 = false);
    // Puts what the checks found out into the record, in one write: new entries for images not
    // recorded or changed, the time of verification for intact ones. Damaged ones keep the
    // hash they had. False when the record could not be written (a read-only stick).
    bool save(const QList<ImageVerdict> &verdicts) const;

private:
    QString root;
    QList<RecordedImage> record;
    static constexpr qint64 chunkSize = 4 << 20;
};
