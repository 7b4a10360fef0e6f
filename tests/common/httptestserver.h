// A tiny HTTP server on 127.0.0.1 for network tests: answers every GET with one configured
// response, which can be an error status, cut short or held half-way until released.
#pragma once

#include <QList>
#include <QPointer>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

class HttpTestServer : public QObject
{
    Q_OBJECT
public:
    struct Response
    {
        int status = 200;
        QByteArray body;
        // Content-Length sent: -1 is the body's size, -2 sends none (the body then ends when
        // the connection closes). A value larger than the body makes the reply end early.
        qint64 contentLength = -1;
        // Send the headers and this many body bytes, then wait for release() (-1: no hold).
        qint64 holdAt = -1;
    };

    HttpTestServer();

    void setResponse(const Response &response) { reply = response; }
    // Sends what held responses still owe, then closes their connections.
    void release();

    QUrl url() const;
    // Request lines ("GET /path HTTP/1.1") received so far.
    const QStringList &requests() const { return requestLines; }
    // Responses sent up to their hold point and waiting for release().
    int heldCount() const { return int(held.size()); }
    // An address on which nothing listens: connecting to it is refused.
    static QUrl refusedUrl();

private:
    void answer(QTcpSocket *socket);

    QTcpServer server;
    Response reply;
    QStringList requestLines;
    QList<QPair<QPointer<QTcpSocket>, QByteArray>> held; // socket, what it is still owed
};
