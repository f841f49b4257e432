#pragma once

#include <QList>
#include <QNetworkCookie>
#include <QObject>

class QWebEngineCookieStore;

// Keeps a copy of every cookie a profile holds, session cookies included. Clearing the
// engine's HTTP cache restarts its network context, which reloads the cookies from disk
// and so loses the session cookies and whatever it had not written yet: the login of
// the running session. The keeper writes its copies back after such a clearing.
class CookieKeeper : public QObject
{
    Q_OBJECT
public:
    explicit CookieKeeper(QWebEngineCookieStore *store);

    // Writes every kept cookie into the store again, several times while the engine
    // restarts its network context (it says nothing when it is done); a cookie that
    // is still there is only replaced by itself.
    void RestoreAfterClearing();

private:
    void handleAdded(const QNetworkCookie &cookie);
    void handleRemoved(const QNetworkCookie &cookie);
    void restore();

    QWebEngineCookieStore *m_store;
    QList<QNetworkCookie> m_cookies;
};
