#include "common/httptestserver.h"

#include <utility>

HttpTestServer::HttpTestServer()
{
    server.listen(QHostAddress::LocalHost);
    connect(&server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = server.nextPendingConnection()) {
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
                        answer(socket);
                    });
        }
    });
}

QUrl HttpTestServer::url() const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1/wandmenu.bin").arg(server.serverPort()));
}

QUrl HttpTestServer::refusedUrl()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    const quint16 port = probe.serverPort();
    probe.close();
    return QUrl(QStringLiteral("http://127.0.0.1:%1/wandmenu.bin").arg(port));
}

void HttpTestServer::answer(QTcpSocket *socket)
{
    const Response &r = reply;
    QByteArray head = "HTTP/1.1 " + QByteArray::number(r.status)
        + (r.status == 200       ? " OK"
               : r.status == 404 ? " Not Found"
                                 : " Status")
        + "\r\nContent-Type: application/octet-stream\r\nConnection: close\r\n";
    if (r.contentLength != -2)
        head += "Content-Length: "
            + QByteArray::number(r.contentLength == -1 ? r.body.size() : r.contentLength) + "\r\n";
    socket->write(head + "\r\n");
    if (r.holdAt >= 0) {
        socket->write(r.body.left(r.holdAt));
        held.append({ socket, r.body.mid(r.holdAt) });
        return;
    }
    socket->write(r.body);
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
