#pragma once

#include <QHash>
#include <QTcpServer>

// A small HTTP/1.0 server on loopback for web-engine tests: answers GET requests for the
// paths it was given with their HTML, every other path with 404.
class TestHttpServer : public QTcpServer
{
    Q_OBJECT
public:
    explicit TestHttpServer(QObject *parent = nullptr);

    void SetPage(const QString &path, const QByteArray &html);
    // "http://127.0.0.1:<port>" + path.
    QString Url(const QString &path) const;
    // How many requests asked for `path` (its query aside).
    int Hits(const QString &path) const { return m_hits.value(path); }

private:
    void HandleConnection();

    QHash<QString, QByteArray> m_pages;
    QHash<QString, int> m_hits;
};
