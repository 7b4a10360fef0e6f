// Downloads an image straight onto the stick through the copy's own way of writing: hidden
// parts, read back, journalled into place, checked against the publisher's SHA-256 when one is
// given or found beside the image. A dropped or stalled connection is resumed where the stick's
// bytes end, as long as the server vouches that the file is the same.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <atomic>
#include <memory>

class PartWriter;
class QNetworkAccessManager;
class QNetworkReply;

class ImageDownload : public QObject
{
    Q_OBJECT
public:
    enum class Outcome {
        Running,
        Done,
        Cancelled,
        Failed, // the network, the server or the stick; errorString() says which
        NoRoom,
        DeviceGone,
        Refused, // a name the stick cannot take or an image of that name is there already
        Mismatch, // the published checksum disagrees
    };

    explicit ImageDownload(QObject *parent = nullptr);
    ~ImageDownload() override;

    // The image's name on the stick; by default the address's (or the server's) own.
    void setName(const QString &imageName) { wanted = imageName; }
    // The SHA-256 it must have, as 64 hex digits; or the address of a checksum file to find it
    // in. Without either, SHA256SUMS and <name>.sha256 beside the image are asked.
    void setSha256(const QByteArray &hex) { given = QByteArray::fromHex(hex); }
    void setSumsUrl(const QUrl &address) { sumsUrl = address; }
    // The stick's root, when dir lies on one: the image is entered in the stick's record.
    void setDeviceRoot(const QString &root) { deviceRoot = root; }
    // Receiving nothing for this long counts as a dropped connection.
    void setStallTimeout(int ms) { stallMs = ms; }
    // The first retry waits this long, each further one twice as long.
    void setRetryDelay(int ms) { retryMs = ms; }
    // Parts of this length instead of the part limit's.
    void setPartBytes(qint64 bytes) { partBytesWanted = bytes; }

    // Downloads url into the folder dir (a folder on the stick, there already).
    void start(const QUrl &url, const QString &dir);
    void cancel();
    // The same from another thread: a read-back under way stops at its next chunk, the rest in
    // the download's own thread.
    void cancelSoon();

    Outcome outcome() const { return result; }
    QString errorString() const { return error; }
    // The image's name, once the server's answer gave it.
    QString name() const { return imageName; }
    // What the download was checked against ("SHA256SUMS", "a.iso.sha256", "the checksum
    // given"); empty when no checksum was found.
    QString checkedAgainst() const { return checkSource; }
    static bool isSha256(const QString &hex);

signals:
    void named(const QString &name);
    // Bytes on the stick of the total (negative: not told by the server).
    void progress(qint64 done, qint64 total);
    void verifying(int percent);
    // Something the user should know that does not stop the download (a resume, a restart).
    void note(const QString &text);
    void finished();

private:
    void askSums(const QUrl &address, bool required, const QString &label);
    void request(qint64 from);
    bool takeHeaders();
    void receive();
    void replyDone();
    void retry(const QString &why);
    void complete();
    void fail(Outcome why, const QString &text);
    void failWrite(int copyError);
    void record(const QByteArray &hash);
    QString nameFromReply() const;
    QUrl folderOf(const QUrl &address) const;

    QNetworkAccessManager *network;
    QNetworkReply *reply = nullptr;
    QTimer stall;
    QUrl url, current;
    QString dir;
    QString wanted, imageName;
    QByteArray given, expected;
    QUrl sumsUrl;
    QList<QPair<QString, QByteArray>> sumsFound; // label, text
    QString checkSource;
    QString publishedFile; // the checksum file matched, for the record
    QString deviceRoot;
    int stallMs = 30000;
    int retryMs = 1000;
    qint64 partBytesWanted = 0;
    std::unique_ptr<PartWriter> writer;
    qint64 total = -1;
    qint64 from = 0;
    QByteArray validator; // ETag, or else Last-Modified
    bool headersTaken = false;
    bool stalled = false;
    // The answer to a resume was of no use; the whole file is asked for once it has ended.
    bool restartPending = false;
    // Set while the download is written out and checked, which no cancel may cut short.
    bool writerBusy = false;
    qint64 lastFailAt = 0;
    QList<QNetworkReply *> sumsAsked;
    int failuresInRow = 0;
    std::atomic<bool> cancelled { false };
    Outcome result = Outcome::Running;
    QString error;
};
