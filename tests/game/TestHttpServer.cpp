#include "game/TestHttpServer.h"

#include <QTcpSocket>

TestHttpServer::TestHttpServer()
{
    listen(QHostAddress::LocalHost);
    connect(this, &QTcpServer::newConnection, this, &TestHttpServer::handleConnection);
}

void TestHttpServer::Serve(const QByteArray &path, const QByteArray &html)
{
    m_documents.insert(path, html);
}

QString TestHttpServer::Url(const QByteArray &path) const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(serverPort()) + QString::fromUtf8(path);
}

void TestHttpServer::handleConnection()
{
    while (QTcpSocket *socket = nextPendingConnection()) {
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
            const QByteArray request = socket->peek(8192);
            if (!request.contains("\r\n\r\n"))
                return;
            socket->readAll();
            const QList<QByteArray> words = request.left(request.indexOf("\r\n")).split(' ');
            const QByteArray path = words.size() > 1 ? words.at(1) : QByteArray();
            ++m_hits[path];
            const auto found = m_documents.constFind(path);
            const QByteArray body = found != m_documents.constEnd() ? *found : QByteArray("not found");
            const QByteArray status = found != m_documents.constEnd() ? "200 OK" : "404 Not Found";
            socket->write("HTTP/1.0 " + status + "\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: "
                          + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
            socket->disconnectFromHost();
        });
    }
}
