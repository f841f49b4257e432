#include "DemoServer.h"

#include <sys/socket.h>

#include <QTcpSocket>
#include <QTimer>

namespace {

// A client that sends nothing for this long is dropped.
constexpr int kIdleTimeoutMs = 15000;
// After answering, the server reads and discards what the client still sends for at most
// this long before closing, so the client sees the answer rather than a reset.
constexpr int kLingerMs = 2000;

const char *kBufferProperty = "fenlowBuffer";
const char *kAnsweredProperty = "fenlowAnswered";

} // namespace

DemoServer::DemoServer(DemoRouter router, QObject *parent)
    : QObject(parent), m_router(std::move(router))
{
    connect(&m_server, &QTcpServer::newConnection, this, &DemoServer::handleNewConnection);
}

bool DemoServer::Listen(const QHostAddress &address, quint16 port)
{
    if (!m_server.listen(address, port))
        return false;
    m_router.SetPort(m_server.serverPort());
    return true;
}

QString DemoServer::ErrorString() const
{
    return m_server.errorString();
}

void DemoServer::handleNewConnection()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        auto *idle = new QTimer(socket);
        idle->setSingleShot(true);
        connect(idle, &QTimer::timeout, socket, &QTcpSocket::abort);
        idle->start(kIdleTimeoutMs);
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { handleReadyRead(socket); });
    }
}

void DemoServer::handleReadyRead(QTcpSocket *socket)
{
    const QByteArray received = socket->readAll();
    if (socket->property(kAnsweredProperty).toBool())
        return;
    const QByteArray buffer = socket->property(kBufferProperty).toByteArray() + received;
    const HttpParseResult parsed = ParseHttpRequest(buffer);
    if (parsed.state == HttpRequest::State::Incomplete) {
        socket->setProperty(kBufferProperty, buffer);
        return;
    }
    socket->setProperty(kBufferProperty, QVariant());
    socket->setProperty(kAnsweredProperty, true);
    if (parsed.state == HttpRequest::State::Bad) {
        Answer(socket, HttpResponse::Error(400), false);
        return;
    }
    Answer(socket, m_router.Route(parsed.request), parsed.request.method == "HEAD");
}

void DemoServer::Answer(QTcpSocket *socket, const HttpResponse &response, bool headOnly)
{
    if (response.delayMs <= 0) {
        Send(socket, response, headOnly);
        return;
    }
    QTimer::singleShot(response.delayMs, socket,
                       [this, socket, response, headOnly] { Send(socket, response, headOnly); });
}

void DemoServer::Send(QTcpSocket *socket, const HttpResponse &response, bool headOnly)
{
    socket->write(response.Serialize(headOnly));
    if (socket->bytesToWrite() == 0) {
        FinishAfterWrite(socket);
        return;
    }
    connect(socket, &QTcpSocket::bytesWritten, socket, [this, socket] {
        if (socket->bytesToWrite() == 0)
            FinishAfterWrite(socket);
    });
}

void DemoServer::FinishAfterWrite(QTcpSocket *socket)
{
    // Half-close: the client reads the whole answer up to the end of the stream, which
    // is also how a deliberately short body shows itself.
    ::shutdown(static_cast<int>(socket->socketDescriptor()), SHUT_WR);
    QTimer::singleShot(kLingerMs, socket, &QTcpSocket::abort);
}
