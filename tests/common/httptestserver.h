// A tiny HTTP (or HTTPS) server on 127.0.0.1 for network tests: answers each GET with the response
// set for its path (or the one for all): an error status, a redirect, a range of the body, cut
// short, dropped after some bytes or held half-way until released.
#pragma once

#include <QHash>
#include <QList>
#include <QPointer>
#include <QSslConfiguration>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

#include <memory>

class HttpTestServer : public QObject
{
    Q_OBJECT
public:
    struct Response
    {
        Response(int code = 200, const QByteArray &bytes = {}, qint64 length = -1, qint64 hold = -1)
            : status(code)
            , body(bytes)
            , contentLength(length)
            , holdAt(hold)
        { }
        int status = 200;
        QByteArray body;
        // Content-Length sent: -1 is the body's size, -2 sends none (the body then ends when
        // the connection closes). A value larger than the body makes the reply end early.
        qint64 contentLength = -1;
        // Send the headers and this many body bytes, then wait for release() (-1: no hold).
        qint64 holdAt = -1;
        // Sent as ETag; with ranges, a Range request is answered 206 unless its If-Range differs.
        QByteArray etag;
        bool ranges = false;
        // The n-th request of this path gets at most dropAfter[n] body bytes, then the
        // connection closes (-1: all of them).
        QList<qint64> dropAfter;
        QByteArray location; // for a redirect status
        QByteArray disposition; // Content-Disposition
    };

    // HTTPS with tls's key and certificate when it has them, else plain HTTP.
    explicit HttpTestServer(const QSslConfiguration &tls = {});
    ~HttpTestServer() override;
    // A new key and a certificate signed by itself for 127.0.0.1, made in dir by the openssl
    // command (null without it). A client trusts it only when told to.
    static QSslConfiguration selfSigned(const QString &dir);

    void setResponse(const Response &response) { reply = response; }
    // The response for one path ("/a.iso"); other paths get the one for all.
    void setResponse(const QString &path, const Response &response) { byPath[path] = response; }
    // Sends what held responses still owe, then closes their connections.
    void release();

    QUrl url() const;
    QUrl url(const QString &path) const;
    // Request lines ("GET /path HTTP/1.1") received so far.
    const QStringList &requests() const { return requestLines; }
    // The Range header of each request, in order ("" for none).
    const QStringList &ranges() const { return rangeHeaders; }
    // Responses sent up to their hold point and waiting for release().
    int heldCount() const { return int(held.size()); }
    // An address on which nothing listens: connecting to it is refused.
    static QUrl refusedUrl();

private:
    void answer(QTcpSocket *socket, const QByteArray &head);

    std::unique_ptr<QTcpServer> server;
    QString scheme;
    Response reply;
    QStringList requestLines;
    QStringList rangeHeaders;
    QHash<QString, Response> byPath;
    QHash<QString, int> served;
    QList<QPair<QPointer<QTcpSocket>, QByteArray>> held; // socket, what it is still owed
};
