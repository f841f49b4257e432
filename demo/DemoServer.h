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

    bool Listen(const QHostAddress &address, quint16 port);
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
