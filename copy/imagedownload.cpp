// The download's steps: the checksum files first (small, one request each), then the image,
// resumed from the stick's last byte after a drop, then the read-back, the checksum and the
// journal. Every way out before the journal leaves the stick as it was.
#include "copy/imagedownload.h"

#include "copy/copycommit.h"
#include "copy/copyerror.h"
#include "copy/fatname.h"
#include "copy/imagerecord.h"
#include "copy/isocopyworker.h"
#include "copy/log.h"
#include "copy/partwriter.h"
#include "copy/publishedsums.h"
#include "detect/volumeroom.h"

#include <QDir>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRegularExpression>
#include <QScopeGuard>

namespace {

// Retries in a row that bring no new byte before the download gives up.
constexpr int maxRetries = 4;
// What the network may hold that the stick has not taken yet.
constexpr qint64 readBufferBytes = 16 << 20;

bool isDrop(QNetworkReply::NetworkError error)
{
    switch (error) {
    case QNetworkReply::NoError: // ended before its length
    case QNetworkReply::RemoteHostClosedError:
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::TimeoutError:
    case QNetworkReply::ProxyConnectionClosedError:
    case QNetworkReply::UnknownNetworkError:
        return true;
    default:
        return false;
    }
}

// Qt's words for a refused redirect ("Insecure redirect") say neither where to nor why.
QString whyNot(const QNetworkReply *reply)
{
    if (reply->error() != QNetworkReply::InsecureRedirectError)
        return reply->errorString();
    const QUrl target = reply->url().resolved(QUrl::fromEncoded(reply->rawHeader("Location")));
    return ImageDownload::tr("the server redirected to %1, an address that is not secure; that "
                             "is not followed")
        .arg(target.toDisplayString());
}

} // namespace

ImageDownload::ImageDownload(QObject *parent)
    : QObject(parent)
    , network(new QNetworkAccessManager(this))
    , stall(this)
{
    stall.setSingleShot(true);
    connect(&stall, &QTimer::timeout, this, [this] {
        if (!reply)
            return;
        qCWarning(lcCopy) << "No data from" << current << "for" << stallMs << "ms";
        stalled = true;
        reply->abort();
    });
}

ImageDownload::~ImageDownload()
{
    if (result == Outcome::Running && (reply || writer))
        fail(Outcome::Cancelled, QString());
}

bool ImageDownload::isSha256(const QString &hex)
{
    static const QRegularExpression pattern(QStringLiteral("^[0-9a-fA-F]{64}$"));
    return pattern.match(hex).hasMatch();
}

QUrl ImageDownload::folderOf(const QUrl &address) const
{
    return address.resolved(QUrl(QStringLiteral(".")));
}

void ImageDownload::start(const QUrl &address, const QString &folder)
{
    url = current = address;
    dir = folder;
    imageName = wanted;
    result = Outcome::Running;
    if (!given.isEmpty()) {
        expected = given;
        checkSource = tr("the checksum given");
        request(0);
        return;
    }
    if (sumsUrl.isValid()) {
        askSums(sumsUrl, true, sumsUrl.fileName());
        return;
    }
    const QString own = url.fileName();
    askSums(folderOf(url).resolved(QUrl(QStringLiteral("SHA256SUMS"))), false,
            QStringLiteral("SHA256SUMS"));
    if (!own.isEmpty())
        askSums(folderOf(url).resolved(QUrl(own + QStringLiteral(".sha256"))), false,
                own + QStringLiteral(".sha256"));
}

void ImageDownload::askSums(const QUrl &address, bool required, const QString &label)
{
    QNetworkRequest ask(address);
    ask.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                     QNetworkRequest::NoLessSafeRedirectPolicy);
    ask.setMaximumRedirectsAllowed(5);
    QNetworkReply *answer = network->get(ask);
    sumsAsked << answer;
    connect(answer, &QNetworkReply::finished, this, [this, answer, required, label] {
        answer->deleteLater();
        sumsAsked.removeOne(answer);
        if (result != Outcome::Running)
            return;
        if (answer->error() == QNetworkReply::NoError) {
            // A checksum file is a few lines; anything large is something else.
            sumsFound.append({ label, answer->read(1 << 20) });
        } else if (required) {
            fail(Outcome::Failed,
                 tr("Couldn't get the checksum file %1: %2")
                     .arg(answer->url().toDisplayString(), whyNot(answer)));
            return;
        }
        if (sumsAsked.isEmpty())
            request(0);
    });
}

void ImageDownload::request(qint64 offset)
{
    if (cancelled) {
        fail(Outcome::Cancelled, QString());
        return;
    }
    QNetworkRequest ask(current);
    ask.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                     QNetworkRequest::NoLessSafeRedirectPolicy);
    ask.setMaximumRedirectsAllowed(5);
    // The bytes as the server keeps them: a range of a compressed body would be of no use.
    ask.setRawHeader("Accept-Encoding", "identity");
    if (offset > 0) {
        ask.setRawHeader("Range", "bytes=" + QByteArray::number(offset) + '-');
        ask.setRawHeader("If-Range", validator);
    }
    from = offset;
    headersTaken = false;
    stalled = false;
    reply = network->get(ask);
    // Unbounded, Qt keeps receiving while the stick is written and held up to 0.9 GB of a 1 GB
    // download in memory; bounded, the server waits, and the download took no longer.
    reply->setReadBufferSize(readBufferBytes);
    connect(reply, &QNetworkReply::readyRead, this, &ImageDownload::receive);
    connect(reply, &QNetworkReply::finished, this, &ImageDownload::replyDone);
    stall.start(stallMs);
}

QString ImageDownload::nameFromReply() const
{
    static const QRegularExpression disposition(
        QStringLiteral("filename\\*?\\s*=\\s*(?:UTF-8'[^']*')?\"?([^\";]+)\"?"),
        QRegularExpression::CaseInsensitiveOption);
    const QString header = QString::fromUtf8(reply->rawHeader("Content-Disposition"));
    auto match = disposition.globalMatch(header);
    QString told;
    while (match.hasNext()) {
        // filename* comes after filename and is the exact one.
        told = QUrl::fromPercentEncoding(match.next().captured(1).toUtf8()).trimmed();
        told = told.mid(told.lastIndexOf(QRegularExpression(QStringLiteral("[/\\\\]"))) + 1);
    }
    // The first of the names that ends in .iso; else the address's own.
    for (const QString &name : { told, url.fileName(), reply->url().fileName() })
        if (name.endsWith(QLatin1String(".iso"), Qt::CaseInsensitive))
            return name;
    return url.fileName();
}

bool ImageDownload::takeHeaders()
{
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status != 200 && status != 206) {
        // Errors are the reply's to tell once it finishes.
        if (status < 400)
            fail(Outcome::Failed,
                 tr("The server answered %1 %2.")
                     .arg(status)
                     .arg(reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString()));
        return false;
    }
    QByteArray tag = reply->rawHeader("ETag");
    if (tag.isEmpty())
        tag = reply->rawHeader("Last-Modified");
    if (from > 0 && status == 206) {
        static const QRegularExpression range(QStringLiteral("^bytes (\\d+)-"));
        const auto m = range.match(QString::fromLatin1(reply->rawHeader("Content-Range")));
        if (m.hasMatch() && m.captured(1).toLongLong() == from && tag == validator) {
            headersTaken = true;
            return true;
        }
        // A part of another file, or from elsewhere: only the whole file will do.
        emit note(tr("The server's file changed; the download starts over."));
        restartPending = true;
        reply->abort();
        return false;
    }
    if (from > 0)
        emit note(tr("The server sent the whole file again; the download starts over."));
    from = 0;
    current = reply->url();
    validator = tag;
    const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
    total = length.isValid() ? length.toLongLong() : -1;

    if (imageName.isEmpty()) {
        imageName = nameFromReply();
        if (imageName.isEmpty()) {
            fail(Outcome::Refused, tr("The address names no file; give the image a name."));
            return false;
        }
    }
    if (!writer) {
        if (const FatName::Problem problem = FatName::check(imageName);
            problem != FatName::Problem::None) {
            fail(Outcome::Refused, FatName::reason(problem));
            return false;
        }
        if (!CopyCommit::imageFiles(dir, imageName).isEmpty()) {
            fail(Outcome::Refused, tr("%1 is on the discwand already.").arg(imageName));
            return false;
        }
        emit named(imageName);
    }
    const qint64 partBytes
        = partBytesWanted > 0 ? partBytesWanted : PartWriter::partBytesFor(total);
    // Before the first byte is written; a restart's room counts without its earlier bytes.
    if (writer) {
        if (const int error = writer->restart(partBytes)) {
            failWrite(error);
            return false;
        }
    }
    const VolumeRoom room = VolumeRoom::of(dir);
    if (total >= 0 && room.freeBytes >= 0
        && isoCopyWorker::roomFor(total, room.cluster) > room.freeBytes) {
        fail(Outcome::NoRoom,
             tr("%1 takes %2 bytes; the discwand has %3 left.")
                 .arg(imageName)
                 .arg(total)
                 .arg(room.freeBytes));
        return false;
    }
    if (!writer) {
        writer = std::make_unique<PartWriter>(dir, partBytes);
        if (const int error = writer->open()) {
            failWrite(error);
            return false;
        }
    }
    headersTaken = true;
    return true;
}

void ImageDownload::receive()
{
    if (!headersTaken && (result != Outcome::Running || restartPending || !takeHeaders()))
        return;
    stall.start(stallMs);
    // Straight into the chunk that goes to the device.
    while (reply->bytesAvailable() > 0) {
        qint64 room = 0;
        char *at = writer->space(&room);
        const qint64 n = reply->read(at, room);
        if (n <= 0)
            break;
        if (const int error = writer->took(n)) {
            failWrite(error);
            return;
        }
    }
    emit progress(writer->taken(), total);
}

void ImageDownload::replyDone()
{
    QNetworkReply *done = std::exchange(reply, nullptr);
    stall.stop();
    done->deleteLater();
    if (result != Outcome::Running)
        return;
    if (cancelled) {
        fail(Outcome::Cancelled, QString());
        return;
    }
    if (restartPending) {
        restartPending = false;
        request(0);
        return;
    }
    const QNetworkReply::NetworkError why = done->error();
    reply = done;
    if (why == QNetworkReply::NoError && !headersTaken && !takeHeaders()) {
        reply = nullptr;
        return;
    }
    if (headersTaken && done->isOpen()) {
        receive();
        if (result != Outcome::Running) {
            reply = nullptr;
            return;
        }
    }
    reply = nullptr;
    stall.stop();
    if (headersTaken && why == QNetworkReply::NoError && (total < 0 || writer->taken() == total)) {
        complete();
        return;
    }
    if (!stalled && !(headersTaken && isDrop(why))) {
        fail(Outcome::Failed,
             tr("Couldn't download %1: %2").arg(url.toDisplayString(), whyNot(done)));
        return;
    }
    retry(stalled ? tr("no data for %1 s").arg(stallMs / 1000.0) : done->errorString());
}

void ImageDownload::retry(const QString &why)
{
    const qint64 taken = writer ? writer->taken() : 0;
    if (taken > lastFailAt)
        failuresInRow = 0;
    lastFailAt = taken;
    if (++failuresInRow > maxRetries) {
        fail(Outcome::Failed,
             tr("The download broke off %1 times in a row (%2); the discwand keeps "
                "what it had.")
                 .arg(failuresInRow)
                 .arg(why));
        return;
    }
    if (writer) {
        if (const int error = writer->flush()) {
            failWrite(error);
            return;
        }
    }
    qint64 next = 0;
    if (!writer || writer->written() == 0) {
        emit note(tr("The connection dropped (%1); trying again.").arg(why));
    } else if (validator.isEmpty()) {
        emit note(tr("The connection dropped (%1); the server cannot tell whether its file is "
                     "still the same, so the download starts over.")
                      .arg(why));
    } else {
        next = writer->written();
        emit note(tr("The connection dropped (%1); resuming at byte %2.").arg(why).arg(next));
    }
    QTimer::singleShot(retryMs << (failuresInRow - 1), this, [this, next] {
        if (result == Outcome::Running)
            request(next);
    });
}

void ImageDownload::complete()
{
    writerBusy = true;
    const auto done = qScopeGuard([this] { writerBusy = false; });
    if (const int error = writer->finish()) {
        failWrite(error);
        return;
    }
    emit progress(writer->written(), total);
    const QByteArray hash = writer->hash();
    if (expected.isEmpty()) {
        for (const auto &[label, text] : std::as_const(sumsFound)) {
            // A file named after the image, or one the user named, may hold just the hash.
            const PublishedSum sum
                = PublishedSums::read(text, imageName, label, label != QLatin1String("SHA256SUMS"));
            if (sum.isListed() && sum.kind == PublishedSum::Kind::Sha256) {
                expected = sum.digest;
                checkSource = publishedFile = label;
                break;
            }
        }
        if (expected.isEmpty() && sumsUrl.isValid()) {
            fail(Outcome::Mismatch,
                 tr("%1 lists no checksum for %2; the download was removed.")
                     .arg(sumsUrl.fileName(), imageName));
            return;
        }
    }
    if (!expected.isEmpty() && expected != hash) {
        fail(Outcome::Mismatch,
             tr("%1 does not match %2; the download was removed.").arg(imageName, checkSource));
        return;
    }
    emit verifying(0);
    const QByteArray back
        = writer->readBack(cancelled, [this](int percent) { emit verifying(percent); });
    if (cancelled) {
        fail(Outcome::Cancelled, QString());
        return;
    }
    if (back != hash) {
        failWrite(int(CopyError::VerifyMismatch));
        return;
    }
    if (const int error = writer->commit(imageName)) {
        failWrite(error);
        return;
    }
    writer.reset();
    record(hash);
    qCInfo(lcCopy) << "Downloaded" << url << "as" << imageName
                   << (checkSource.isEmpty() ? "unchecked" : "checked against") << checkSource;
    result = Outcome::Done;
    emit finished();
}

void ImageDownload::record(const QByteArray &hash)
{
    if (deviceRoot.isEmpty())
        return;
    const QString path
        = QLatin1Char('/') + QDir(deviceRoot).relativeFilePath(dir + QLatin1Char('/') + imageName);
    std::optional<RecordedImage> image = ImageRecord::describe(deviceRoot, path);
    if (!image) {
        qCWarning(lcCopy) << "The download" << path << "is not as written; it is not recorded.";
        return;
    }
    image->sha256 = hash.toHex();
    image->verified = QDateTime::currentDateTimeUtc();
    image->published = publishedFile;
    ImageRecord::put(deviceRoot, *image);
}

void ImageDownload::cancel()
{
    cancelled = true;
    // A retry waiting for its turn, or the checksum files, end here; a read-back sees the flag.
    if (result == Outcome::Running && !writerBusy)
        fail(Outcome::Cancelled, QString());
}

void ImageDownload::cancelSoon()
{
    cancelled = true;
    QMetaObject::invokeMethod(this, &ImageDownload::cancel, Qt::QueuedConnection);
}

void ImageDownload::fail(Outcome why, const QString &text)
{
    if (result != Outcome::Running)
        return;
    result = why;
    error = why == Outcome::Cancelled && text.isEmpty() ? tr("Cancelled.") : text;
    stall.stop();
    for (QNetworkReply *asked : std::exchange(sumsAsked, {})) {
        asked->disconnect(this);
        asked->abort();
        asked->deleteLater();
    }
    if (QNetworkReply *running = std::exchange(reply, nullptr)) {
        running->disconnect(this);
        running->abort();
        running->deleteLater();
    }
    // Nothing half-written stays on the stick.
    writer.reset();
    if (why != Outcome::Cancelled)
        qCWarning(lcCopy) << "Download of" << url << "failed:" << error;
    emit finished();
}

void ImageDownload::failWrite(int copyError)
{
    fail(copyError == int(CopyError::DeviceFull)       ? Outcome::NoRoom
             : copyError == int(CopyError::DeviceGone) ? Outcome::DeviceGone
                                                       : Outcome::Failed,
         CopyErrors::message(copyError));
}
