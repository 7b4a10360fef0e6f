// How a copy is doing in words people read: bytes done, speed smoothed over several seconds,
// time left rounded as people say it, and what a finished batch did.
#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

class CopyProgress
{
public:
    // A new file of total bytes begins at atMs (any clock in milliseconds); with readBack its
    // copy is read back and compared after it is written, a second stage of as many bytes.
    void start(qint64 total, qint64 atMs, bool readBack = false);
    void update(qint64 done, qint64 atMs);
    // Bytes read back so far; the first call ends the writing stage.
    void check(qint64 done, qint64 atMs);

    qint64 done() const { return bytesDone; }
    qint64 total() const { return bytesTotal; }
    // Bytes per second over the last few seconds; 0 until two reports a moment apart.
    double speed() const;
    // Of both stages; -1 while the speed is not known.
    qint64 secondsLeft() const;
    // "1.2 GB of 2.1 GB, 23 MB/s, about 40 s left", the read-back's as "checking the copy: …";
    // of an unknown total (negative) "1.2 GB, 23 MB/s"
    QString text() const;

    static QString sizeText(qint64 bytes);
    // "a few seconds", "about 40 s", "about 4 min", "about 1 h 20 min"
    static QString durationText(qint64 seconds);
    // What a batch did: "Copied 3 images (5.1 GB) in 4 min", or with images left out
    // "Copied 3 of 4 images (5.1 GB) in 4 min; 1 failed: a.iso (The discwand is full.)".
    // failures: "name (reason)" each.
    static QString summary(int images, int total, qint64 bytes, qint64 ms,
                           const QStringList &failures = {});

private:
    // Bytes done in the current stage, for its speed.
    void sample(qint64 done, qint64 atMs);

    qint64 bytesTotal = 0;
    qint64 bytesDone = 0;
    bool readBack = false;
    bool checking = false;
    qint64 bytesChecked = 0;
    QList<QPair<qint64, qint64>> samples; // (ms, bytes done), the last few seconds
};
