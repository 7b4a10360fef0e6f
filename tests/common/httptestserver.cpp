// Each connection gets its answer once its request's head is in; a TLS connection once its
// handshake is done too, which a client that distrusts the certificate never completes.
#include "common/httptestserver.h"

#include <QFile>
#include <QProcess>
#include <QSslKey>
#include <QSslServer>

#include <utility>

HttpTestServer::HttpTestServer(const QSslConfiguration &tls)
{
    if (tls.localCertificate().isNull()) {
        server = std::make_unique<QTcpServer>();
        scheme = QStringLiteral("http");
    } else {
        auto secure = std::make_unique<QSslServer>();
        secure->setSslConfiguration(tls);
        server = std::move(secure);
        scheme = QStringLiteral("https");
    }
    server->listen(QHostAddress::LocalHost);
    // A TLS connection is pending only after its handshake, which newConnection does not tell.
    connect(server.get(), &QTcpServer::pendingConnectionAvailable, this, [this] {
        while (QTcpSocket *socket = server->nextPendingConnection()) {
            socket->setParent(this);
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            // Answers once the request's head is complete.
            connect(socket, &QTcpSocket::readyRead, this,
                    [this, socket, head = QByteArray()]() mutable {
                        head += socket->readAll();
                        if (!head.contains("\r\n\r\n"))
                            return;
                        requestLines << QString::fromLatin1(head.left(head.indexOf("\r\n")));
                        disconnect(socket, &QTcpSocket::readyRead, this, nullptr);
                        answer(socket, head);
                    });
        }
    });
}

HttpTestServer::~HttpTestServer() = default;

QUrl HttpTestServer::url() const
{
    return url(QStringLiteral("/wandmenu.bin"));
}

QUrl HttpTestServer::url(const QString &path) const
{
    return QUrl(
        QStringLiteral("%1://127.0.0.1:%2%3").arg(scheme).arg(server->serverPort()).arg(path));
}

QSslConfiguration HttpTestServer::selfSigned(const QString &dir)
{
    const QString key = dir + QStringLiteral("/key.pem"), cert = dir + QStringLiteral("/cert.pem");
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"),
                  { "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                    "-nodes", "-days", "2", "-subj", "/CN=127.0.0.1", "-addext",
                    "subjectAltName=IP:127.0.0.1", "-keyout", key, "-out", cert });
    if (!openssl.waitForFinished(30000) || openssl.exitStatus() != QProcess::NormalExit
        || openssl.exitCode() != 0)
        return {};
    QFile keyFile(key), certFile(cert);
    if (!keyFile.open(QIODevice::ReadOnly) || !certFile.open(QIODevice::ReadOnly))
        return {};
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setPrivateKey(QSslKey(&keyFile, QSsl::Ec));
    tls.setLocalCertificate(QSslCertificate(&certFile));
    return tls;
}

QUrl HttpTestServer::refusedUrl()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    const quint16 port = probe.serverPort();
    probe.close();
    return QUrl(QStringLiteral("http://127.0.0.1:%1/wandmenu.bin").arg(port));
}

namespace {

QByteArray headerOf(const QByteArray &head, const QByteArray &name)
{
    for (const QByteArray &line : head.split('\n'))
        if (line.toLower().startsWith(name.toLower() + ':'))
            return line.mid(name.size() + 1).trimmed();
    return {};
}

} // namespace

void HttpTestServer::answer(QTcpSocket *socket, const QByteArray &request)
{
    const QString path = requestLines.last().section(QLatin1Char(' '), 1, 1);
    const Response &r = byPath.contains(path) ? byPath[path] : reply;
    const int nth = served[path]++;
    const QByteArray range = headerOf(request, "Range");
    rangeHeaders << QString::fromLatin1(range);
    int status = r.status;
    QByteArray body = r.body;
    QByteArray extra;
    qint64 holdAt = r.holdAt;
    const QByteArray ifRange = headerOf(request, "If-Range");
    if (r.ranges && range.startsWith("bytes=") && range.endsWith('-')
        && (ifRange.isEmpty() || ifRange == r.etag)) {
        const qint64 from = range.mid(6, range.size() - 7).toLongLong();
        status = 206;
        extra += "Content-Range: bytes " + QByteArray::number(from) + '-'
            + QByteArray::number(body.size() - 1) + '/' + QByteArray::number(body.size()) + "\r\n";
        body = body.mid(from);
        // The hold stays where it is in the file: a resumed request stalls at the same byte.
        holdAt = holdAt >= 0 ? qMax<qint64>(0, holdAt - from) : -1;
    }
    QByteArray head = "HTTP/1.1 " + QByteArray::number(status)
        + (status == 200       ? " OK"
               : status == 206 ? " Partial Content"
               : status == 404 ? " Not Found"
                               : " Status")
        + "\r\nContent-Type: application/octet-stream\r\nConnection: close\r\n" + extra;
    if (!r.etag.isEmpty())
        head += "ETag: " + r.etag + "\r\n";
    if (!r.location.isEmpty())
        head += "Location: " + r.location + "\r\n";
    if (!r.disposition.isEmpty())
        head += "Content-Disposition: " + r.disposition + "\r\n";
    if (r.contentLength != -2)
        head += "Content-Length: "
            + QByteArray::number(r.contentLength == -1 ? body.size() : r.contentLength) + "\r\n";
    socket->write(head + "\r\n");
    if (nth < r.dropAfter.size() && r.dropAfter[nth] >= 0) {
        socket->write(body.left(r.dropAfter[nth]));
        socket->disconnectFromHost();
        return;
    }
    if (holdAt >= 0) {
        socket->write(body.left(holdAt));
        held.append({ socket, body.mid(holdAt) });
        return;
    }
    socket->write(body);
    socket->disconnectFromHost();
}

void HttpTestServer::release()
{
    const auto waiting = std::exchange(held, {});
    for (const auto &[socket, rest] : waiting) {
        if (socket) {
            socket->write(rest);
            socket->disconnectFromHost();
        }
    }
}
