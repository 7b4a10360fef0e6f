// The copies of every discwand plugged in: a queue of its own for each stick (its own copy
// thread, and a finder that follows that stick alone for the write guard), and the queue of the
// stick shown, whose reports the window shows.
#pragma once

#include "copy/copyqueue.h"

#include <QHash>
#include <QObject>

class ScsiDriveDetector;

class StickCopies : public QObject
{
    Q_OBJECT
public:
    // shown: the window's finder, whose current stick is the one shown.
    StickCopies(const ScsiDriveDetector *shown, QObject *parent);

    // The queue of the stick with this serial, made when first asked for; null for a stick
    // that is not plugged in.
    CopyQueue *queueFor(const QString &serial);
    // The stick shown's queue; null while none is shown.
    CopyQueue *shownQueue() const { return shown; }
    QString shownStick() const { return shownSerial; }
    // Whether the stick with this serial is still the one its queue writes to.
    bool isPresent(const QString &serial) const;

    // Of the stick shown, as its queue tells them; nothing while none is shown.
    int count() const { return shown ? shown->count() : 0; }
    int index() const { return shown ? shown->index() : 0; }
    QString copyingName() const { return shown ? shown->copyingName() : QString(); }
    // The shown stick's last batch's images that matched their published checksums.
    QStringList batchMatches() const { return shown ? shown->batchMatches() : QStringList(); }
    QStringList pendingPaths() const { return shown ? shown->pendingPaths() : QStringList(); }
    qint64 pendingBytes() const { return shown ? shown->pendingBytes() : 0; }
    bool verifies() const { return verify; }
    void cancelCurrent();
    void cancelAll();

    // A file under way on any stick, "" when none is.
    QString anyCopying() const;
    void setVerify(bool on);
    // Stops every stick's copies as CopyQueue::shutDown does, each waited for in turn.
    bool shutDown(int quietMs);

signals:
    // Another stick is shown (or none): what is shown of its copies starts afresh.
    void shownChanged();
    // The shown queue's reports.
    void fileStarted(QString name);
    void progressUpdate(int value, int total);
    void transferred(qint64 done, qint64 total);
    void verifyProgress(int value, int total);
    void batchProgress(qint64 done, qint64 total);
    void batchCopied(int images, int total, qint64 bytes, qint64 ms, QStringList failures);
    void finished();
    void changed();
    // What the shown stick's download tells along the way (a resume, a restart).
    void note(QString text);
    // Any stick's: a copy began, failed (why: the words for it, naming a checksum file where it
    // has one), or a batch was cut short.
    void startFileCopy(QString destDir, QString sourceFile);
    void failed(CopyError error, QString name, QString why);
    void stopped(CopyQueue::Stop why);

private:
    void follow();
    void show(CopyQueue *queue, const QString &serial);

    const ScsiDriveDetector *finder;
    struct Stick
    {
        ScsiDriveDetector *finder;
        CopyQueue *queue;
    };
    QHash<QString, Stick> sticks;
    CopyQueue *shown = nullptr;
    QString shownSerial;
    bool verify = false;
};
