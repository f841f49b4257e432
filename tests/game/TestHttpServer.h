#pragma once

#include <QByteArray>
#include <QHash>
#include <QTcpServer>

// A small HTTP/1.0 server on loopback for the game window tests: serves fixed HTML
// documents by path and answers 404 for anything else.
class TestHttpServer : public QTcpServer
{
    Q_OBJECT
public:
    TestHttpServer();

    void Serve(const QByteArray &path, const QByteArray &html);
    // "http://127.0.0.1:<port>" + path.
    QString Url(const QByteArray &path) const;
    // How many requests asked for `path`.
    int Hits(const QByteArray &path) const { return m_hits.value(path); }

private:
    void handleConnection();

    QHash<QByteArray, QByteArray> m_documents;
    QHash<QByteArray, int> m_hits;
};
