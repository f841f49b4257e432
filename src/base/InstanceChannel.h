#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;

// Messages between running instances of the program, sent to a main window's endpoint.
inline constexpr int kHandOverMessage = 1026; // a second start asks for a further login
inline constexpr int kToggleMessage = 1027;   // hide or restore, not passed on

// Every open main window listens on an endpoint of its own (a local socket named by its
// process id) in one folder per user that only that user may enter. An endpoint that accepts connections means an
// instance is running; one that refuses them belongs to an instance that ended without
// removing it, and is removed by whoever finds it so.
namespace InstanceChannel {

// The folder that holds the endpoints: "$XDG_RUNTIME_DIR/Fenlow_ycj" where that folder
// exists, else "$TMPDIR/Fenlow_ycj-<uid>", else "/tmp/Fenlow_ycj-<uid>" (the first whose
// socket paths fit the system's limit). Created 0700 when missing; empty when it is not a
// directory of this user's with mode 0700 (it may hold another user's sockets).
QString Directory();

// The sockets in Directory(), oldest first.
QStringList Endpoints();

// True when some endpoint accepts a connection; removes the dead ones it meets.
bool AnyInstanceRunning();

// Sends `message` to one endpoint. With `waitForAnswer`, succeeds only when the
// receiver confirms within the timeout; otherwise when the message was written.
// Removes the endpoint when nothing listens there any more.
bool Post(const QString &endpoint, int message, bool waitForAnswer, int timeoutMs);

// Hands a further login over to the oldest live instance; false when none took it.
bool HandOver();

// Posts `message` to every other endpoint than `own`, at most `limit` of them, in
// `Endpoints()` order; answers how many were written.
int Broadcast(int message, const QString &own, int limit);

} // namespace InstanceChannel

// The listening side, owned by the main window while it is open.
class InstanceEndpoint : public QObject
{
    Q_OBJECT
public:
    explicit InstanceEndpoint(QObject *parent = nullptr);
    ~InstanceEndpoint() override;

    // Creates this process's endpoint; false when the folder is refused or the socket
    // cannot be made.
    bool Listen();
    QString Path() const;

signals:
    // Emitted while the sender waits for its answer: connect with Qt::QueuedConnection
    // when the handler runs a modal loop.
    void messageReceived(int message);

private:
    void handleConnection();

    QLocalServer *m_server{};
};
