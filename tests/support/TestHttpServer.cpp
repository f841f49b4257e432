#include "support/TestHttpServer.h"

#include <QTcpSocket>

TestHttpServer::TestHttpServer(QObject *parent)
    : QTcpServer(parent)
{
    listen(QHostAddress::LocalHost);
    connect(this, &QTcpServer::newConnection, this, &TestHttpServer::HandleConnection);
}

void TestHttpServer::SetPage(const QString &path, const QByteArray &html)
{
    m_pages.insert(path, html);
}

QString TestHttpServer::Url(const QString &path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(serverPort()).arg(path);
}

void TestHttpServer::HandleConnection()
{
    while (QTcpSocket *socket = nextPendingConnection()) {
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
            if (!socket->canReadLine())
                return;
            const QList<QByteArray> request = socket->readLine().split(' ');
            const QString path = request.size() > 1 ? QString::fromLatin1(request.at(1)).section(QLatin1Char('?'), 0, 0)
                                                    : QString();
            ++m_hits[path];
            const auto page = m_pages.constFind(path);
            const QByteArray status = page == m_pages.constEnd() ? "404 Not Found" : "200 OK";
            const QByteArray body = page == m_pages.constEnd() ? QByteArray("<html>not found</html>") : *page;
            socket->write("HTTP/1.0 " + status + "\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: "
                          + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
            socket->disconnectFromHost();
        });
    }
}
