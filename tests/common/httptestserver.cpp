#include "common/httptestserver.h"

#include <QHostAddress>
#include <QTimer>

HttpTestServer::HttpTestServer()
{
    server.listen(QHostAddress::LocalHost);
    connect(&server, &QTcpServer::newConnection, this, &HttpTestServer::onConnection);
}

QUrl HttpTestServer::url(const QString &path) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(server.serverPort()).arg(path));
}

QUrl HttpTestServer::refusedUrl()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    const quint16 port = probe.serverPort();
    probe.close();
    return QUrl(QStringLiteral("http://127.0.0.1:%1/wandmenu.bin").arg(port));
}

void HttpTestServer::onConnection()
{
    while (QTcpSocket *socket = server.nextPendingConnection()) {
        socket->setParent(this);
        auto *buffer = new QByteArray;
        connect(socket, &QObject::destroyed, this, [buffer] { delete buffer; });
        connect(socket, &QTcpSocket::readyRead, this,
                [this, socket, buffer] { onReadyRead(socket, buffer); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}

void HttpTestServer::onReadyRead(QTcpSocket *socket, QByteArray *buffer)
{
    buffer->append(socket->readAll());
    const qsizetype end = buffer->indexOf("\r\n\r\n");
    if (end < 0)
        return;
    requestLines << QString::fromLatin1(buffer->left(buffer->indexOf("\r\n")));
    buffer->clear();
    disconnect(socket, &QTcpSocket::readyRead, this, nullptr);
    if (reply.delayMs > 0)
        QTimer::singleShot(reply.delayMs, socket, [this, socket] { answer(socket); });
    else
        answer(socket);
}

void HttpTestServer::answer(QTcpSocket *socket)
{
    const Response &r = reply;
    const QByteArray reason = r.status == 200 ? "OK" : r.status == 404 ? "Not Found" : "Status";
    QByteArray head = "HTTP/1.1 " + QByteArray::number(r.status) + ' ' + reason + "\r\n";
    head += "Content-Type: application/octet-stream\r\nConnection: close\r\n";
    if (r.contentLength != -2)
        head += "Content-Length: "
            + QByteArray::number(r.contentLength == -1 ? r.body.size() : r.contentLength) + "\r\n";
    head += "\r\n";
    socket->write(head);
    if (r.holdAt >= 0) {
        socket->write(r.body.left(r.holdAt));
        held.append({ socket, r.body.mid(r.holdAt) });
        return;
    }
    socket->write(r.body);
    socket->disconnectFromHost();
}

void HttpTestServer::sendMore(qint64 bytes)
{
    for (Held &h : held) {
        if (h.socket)
            h.socket->write(h.rest.left(bytes));
        h.rest.remove(0, bytes);
    }
}

void HttpTestServer::release()
{
    const QList<Held> waiting = held;
    held.clear();
    for (const Held &h : waiting) {
        if (!h.socket)
            continue;
        h.socket->write(h.rest);
        h.socket->disconnectFromHost();
    }
}
