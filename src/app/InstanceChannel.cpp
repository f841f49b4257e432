#include "app/InstanceChannel.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

namespace {

constexpr int kHandOverTimeoutMs = 2000;
constexpr int kProbeTimeoutMs = 500;
constexpr qint64 kMaxLine = 32;

QByteArray MessageLine(int message)
{
    return QByteArray::number(message) + '\n';
}

// Nothing listens on the endpoint any more: its instance ended without removing it.
bool IsGone(QLocalSocket::LocalSocketError error)
{
    return error == QLocalSocket::ConnectionRefusedError || error == QLocalSocket::ServerNotFoundError;
}

} // namespace

namespace InstanceChannel {

QString Directory()
{
    return QDir::tempPath() + QStringLiteral("/Fenlow_ycj-") + QString::number(getuid());
}

QStringList Endpoints()
{
    const QFileInfoList entries = QDir(Directory()).entryInfoList(
        {QStringLiteral("*.sock")}, QDir::System | QDir::Files, QDir::Time | QDir::Reversed);
    QStringList paths;
    for (const QFileInfo &entry : entries)
        paths << entry.absoluteFilePath();
    return paths;
}

bool AnyInstanceRunning()
{
    for (const QString &endpoint : Endpoints()) {
        QLocalSocket socket;
        socket.connectToServer(endpoint);
        if (socket.waitForConnected(kProbeTimeoutMs))
            return true;
        if (IsGone(socket.error()))
            QFile::remove(endpoint);
    }
    return false;
}

bool Post(const QString &endpoint, int message, bool waitForAnswer, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(endpoint);
    if (!socket.waitForConnected(timeoutMs)) {
        if (IsGone(socket.error()))
            QFile::remove(endpoint);
        return false;
    }
    socket.write(MessageLine(message));
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    if (!waitForAnswer)
        return true;
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(timeoutMs))
            return false;
    }
    return socket.readLine(kMaxLine) == MessageLine(message);
}

bool HandOver()
{
    for (const QString &endpoint : Endpoints()) {
        if (Post(endpoint, kHandOverMessage, true, kHandOverTimeoutMs))
            return true;
    }
    return false;
}

int Broadcast(int message, const QString &own, int limit)
{
    int written = 0;
    for (const QString &endpoint : Endpoints()) {
        if (written >= limit)
            break;
        if (endpoint == own)
            continue;
        if (Post(endpoint, message, false, kHandOverTimeoutMs))
            ++written;
    }
    return written;
}

} // namespace InstanceChannel

InstanceEndpoint::InstanceEndpoint(QObject *parent)
    : QObject(parent)
{
}

InstanceEndpoint::~InstanceEndpoint()
{
    if (m_server)
        m_server->close();
}

bool InstanceEndpoint::Listen()
{
    const QString folder = InstanceChannel::Directory();
    if (!QDir().mkpath(folder))
        return false;
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString path = folder + QLatin1Char('/') + QString::number(getpid()) + QStringLiteral(".sock");
    QLocalServer::removeServer(path);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &InstanceEndpoint::handleConnection);
    return m_server->listen(path);
}

QString InstanceEndpoint::Path() const
{
    return m_server ? m_server->fullServerName() : QString();
}

void InstanceEndpoint::handleConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            while (socket->canReadLine()) {
                bool ok = false;
                const int message = socket->readLine(kMaxLine).trimmed().toInt(&ok);
                if (!ok)
                    continue;
                socket->write(MessageLine(message));
                emit messageReceived(message);
            }
            if (socket->bytesAvailable() > kMaxLine)
                socket->abort();
        });
    }
}
