#include "base/InstanceChannel.h"

#include <cerrno>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
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

// The longest socket path the system takes, and the room an endpoint's name needs in
// its folder: "/", a process id of up to ten digits, ".sock".
constexpr qsizetype kMaxSocketPath = sizeof(sockaddr_un::sun_path) - 1;
constexpr qsizetype kEndpointNameRoom = 1 + 10 + 5;

QString EndpointName(qint64 pid)
{
    return QString::number(pid) + QStringLiteral(".sock");
}

// The folders the endpoints may live in, best first: the user's runtime folder, then
// the temporary folder, then /tmp, whose short path always leaves room for a socket.
QStringList FolderCandidates()
{
    const QString user = QString::number(getuid());
    QStringList folders;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (QDir::isAbsolutePath(runtime) && QFileInfo(runtime).isDir())
        folders << QDir::cleanPath(runtime) + QStringLiteral("/Fenlow_ycj");
    folders << QDir::tempPath() + QStringLiteral("/Fenlow_ycj-") + user;
    folders << QStringLiteral("/tmp/Fenlow_ycj-") + user;
    return folders;
}

// Creates `folder` private to this user when it is missing, and answers whether it is a
// real directory (not a link) owned by this user that nobody else may enter: anything
// else may hold another user's sockets and is refused.
bool IsPrivateFolder(const QString &folder)
{
    const QByteArray native = QFile::encodeName(folder);
    if (mkdir(native.constData(), 0700) == 0)
        chmod(native.constData(), 0700);
    struct stat info{};
    if (lstat(native.constData(), &info) != 0)
        return false;
    return S_ISDIR(info.st_mode) && info.st_uid == getuid() && (info.st_mode & 07777) == 0700;
}

bool IsSocket(const QString &path)
{
    struct stat info{};
    return lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISSOCK(info.st_mode);
}

} // namespace

namespace InstanceChannel {

QString Directory()
{
    for (const QString &folder : FolderCandidates()) {
        if (QFile::encodeName(folder).size() + kEndpointNameRoom <= kMaxSocketPath)
            return IsPrivateFolder(folder) ? folder : QString();
    }
    return {};
}

QStringList Endpoints()
{
    const QString folder = Directory();
    if (folder.isEmpty())
        return {};
    const QFileInfoList entries = QDir(folder).entryInfoList(
        {QStringLiteral("*.sock")}, QDir::System | QDir::Files, QDir::Time | QDir::Reversed);
    QStringList paths;
    for (const QFileInfo &entry : entries) {
        if (IsSocket(entry.absoluteFilePath()))
            paths << entry.absoluteFilePath();
    }
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
    if (folder.isEmpty())
        return false;
    const QString path = folder + QLatin1Char('/') + EndpointName(getpid());
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
