// Fetching the device's selector program, config/wandmenu.bin, over HTTP and storing it whole
// on the device. Asking whether to fetch it, and what to do when it fails, is the caller's.
#pragma once

#include "detect/discwand.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;
class ScsiDriveDetector;

class WandmenuFetch : public QObject
{
    Q_OBJECT
public:
    explicit WandmenuFetch(const ScsiDriveDetector &detector, QObject *parent = nullptr);

    void setUrl(const QUrl &address) { url = address; }
    // A download that receives nothing for this long gives up.
    void setStallTimeout(int ms) { stallMs = ms; }
    // A device is known and has no selector program; an empty file counts as one.
    bool isMissing() const;

    // Sends the request; replyFinished() follows, whatever happens.
    void start();
    bool isRunning() const { return reply != nullptr; }
    // Ends the running download; its reply still finishes, and take() says it was cancelled.
    void cancel();
    bool wasCancelled() const { return cancelled; }
    // Takes the finished reply and releases it. True when it carries the program; otherwise
    // errorString() says why.
    bool take(QNetworkReply *finished);
    QString errorString() const { return error; }
    // Writes what was taken to the device, whole or not at all; nothing when no program was
    // taken. The device must still be the one known when the reply was taken: a stale mount
    // point would be a folder on the computer itself.
    bool store();

signals:
    void progress(qint64 received, qint64 total);
    void replyFinished(QNetworkReply *reply);

private:
    // The write itself below root, in whichever thread calls it.
    static bool write(const QString &root, const QByteArray &body);

    const ScsiDriveDetector &detector;
    QNetworkAccessManager *network;
    QNetworkReply *reply = nullptr;
    QUrl url;
    int stallMs = 30000;
    bool cancelled = false;
    QByteArray body;
    Discwand stick; // where the body goes: the stick current when the reply was taken
    QString error;
};
