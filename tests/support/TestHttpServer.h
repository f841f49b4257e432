#pragma once

#include <functional>

#include <QHash>
#include <QTcpServer>

// A small HTTP/1.0 server on loopback for web-engine tests: answers GET requests for the
// paths it was given with their response, every other path with 404.
class TestHttpServer : public QTcpServer
{
    Q_OBJECT
public:
    struct Response {
        QByteArray status{"200 OK"};
        QByteArray body;
        // Further header lines, each ending in "\r\n".
        QByteArray headers;
        QByteArray contentType{"text/html; charset=utf-8"};
        // How long the answer waits after the request arrived.
        int delayMs{0};
    };

    // Makes the response to a request for `target` (path and query) that sent `cookies`.
    using Handler = std::function<Response(const QString &target, const QByteArray &cookies)>;

    explicit TestHttpServer(QObject *parent = nullptr);

    void SetPage(const QString &path, const QByteArray &html);
    void SetResponse(const QString &path, const Response &response);
    // Answers each request for `path` with what `handler` makes of it.
    void SetHandler(const QString &path, const Handler &handler);
    // Answers `path` with a 302 to `location`.
    void SetRedirect(const QString &path, const QByteArray &location);
    // "http://127.0.0.1:<port>" + path.
    QString Url(const QString &path) const;
    // The same server under another origin: "http://localhost:<port>" + path.
    QString OtherOriginUrl(const QString &path) const;
    // How many requests asked for `path` (its query aside).
    int Hits(const QString &path) const { return m_hits.value(path); }
    // The Cookie header of the latest request for `path` (empty without one).
    QByteArray CookieSent(const QString &path) const { return m_cookies.value(path); }

private:
    void HandleConnection();

    QHash<QString, Response> m_responses;
    QHash<QString, Handler> m_handlers;
    QHash<QString, int> m_hits;
    QHash<QString, QByteArray> m_cookies;
};
