#pragma once

#include <QHostAddress>
#include <QObject>
#include <QTcpServer>

#include "DemoRouter.h"

class QTcpSocket;
struct HttpResponse;

// The demo platform's HTTP/1.1 listener: reads one request per connection, answers it
// with the router's response and closes the connection.
class DemoServer : public QObject {
    Q_OBJECT
public:
    explicit DemoServer(DemoRouter router, QObject *parent = nullptr);

    // Listens on `port`, or on a free port when it is 0; the router's addresses then
    // carry the port really in use.
    bool Listen(const QHostAddress &address, quint16 port);
    quint16 Port() const { return m_server.serverPort(); }
    QString ErrorString() const;

private:
    void handleNewConnection();
    void handleReadyRead(QTcpSocket *socket);
    void Answer(QTcpSocket *socket, const HttpResponse &response, bool headOnly);
    void Send(QTcpSocket *socket, const HttpResponse &response, bool headOnly);
    void FinishAfterWrite(QTcpSocket *socket);

    DemoRouter m_router;
    QTcpServer m_server;
};
