#include "support/TestHttpServer.h"

#include <QTcpSocket>
#include <QTimer>

TestHttpServer::TestHttpServer(QObject *parent)
    : QTcpServer(parent)
{
    listen(QHostAddress::LocalHost);
    connect(this, &QTcpServer::newConnection, this, &TestHttpServer::HandleConnection);
}

void TestHttpServer::SetPage(const QString &path, const QByteArray &html)
{
    Response response;
    response.body = html;
    SetResponse(path, response);
}

void TestHttpServer::SetResponse(const QString &path, const Response &response)
{
    m_responses.insert(path, response);
}

void TestHttpServer::SetHandler(const QString &path, const Handler &handler)
{
    m_handlers.insert(path, handler);
}

void TestHttpServer::SetRedirect(const QString &path, const QByteArray &location)
{
    Response response;
    response.status = "302 Found";
    response.headers = "Location: " + location + "\r\n";
    SetResponse(path, response);
}

QString TestHttpServer::Url(const QString &path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(serverPort()).arg(path);
}

QString TestHttpServer::OtherOriginUrl(const QString &path) const
{
    return QStringLiteral("http://localhost:%1%2").arg(serverPort()).arg(path);
}

void TestHttpServer::HandleConnection()
{
    while (QTcpSocket *socket = nextPendingConnection()) {
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
            if (!socket->peek(socket->bytesAvailable()).contains("\r\n\r\n") || socket->property("answered").toBool())
                return;
            socket->setProperty("answered", true);
            const QList<QByteArray> request = socket->readLine().split(' ');
            const QString target = request.size() > 1 ? QString::fromLatin1(request.at(1)) : QString();
            const QString path = target.section(QLatin1Char('?'), 0, 0);
            m_cookies.remove(path);
            for (QByteArray line = socket->readLine(); !line.trimmed().isEmpty(); line = socket->readLine()) {
                if (line.toLower().startsWith("cookie:"))
                    m_cookies.insert(path, line.mid(7).trimmed());
            }
            ++m_hits[path];
            Response response;
            const auto found = m_responses.constFind(path);
            if (m_handlers.contains(path)) {
                response = m_handlers.value(path)(target, m_cookies.value(path));
            } else if (found == m_responses.constEnd()) {
                response.status = "404 Not Found";
                response.body = "<html>not found</html>";
            } else {
                response = *found;
            }
            const QByteArray answer = "HTTP/1.0 " + response.status + "\r\nContent-Type: " + response.contentType
                                      + "\r\nContent-Length: " + QByteArray::number(response.body.size())
                                      + "\r\n" + response.headers + "Connection: close\r\n\r\n" + response.body;
            QTimer::singleShot(response.delayMs, socket, [socket, answer] {
                socket->write(answer);
                socket->disconnectFromHost();
            });
        });
    }
}
