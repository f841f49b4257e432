#pragma once

#include <functional>

#include <QList>
#include <QNetworkCookie>
#include <QObject>
#include <QTimer>

class QWebEngineCookieStore;

// Keeps a copy of every cookie a profile holds, session cookies included. Clearing the
// engine's HTTP cache restarts its network context, which reloads the cookies from disk
// and so loses the session cookies and whatever it had not written yet: the login of
// the running session. The keeper runs such a clearing and writes its copies back into
// the restarted context, and tells when that context holds them.
class CookieKeeper : public QObject
{
    Q_OBJECT
public:
    explicit CookieKeeper(QWebEngineCookieStore *store);

    // Runs `clearCache`, a clearing that restarts the network context, and writes the kept
    // cookies back until the restarted context holds them; then emits cookiesRestored().
    // A call while a clearing runs waits for it: all calls made meanwhile share one
    // further clearing, with a cookiesRestored() of its own, once it is done.
    void ClearKeepingCookies(const std::function<void()> &clearCache);
    // True from a call of ClearKeepingCookies until the cookiesRestored() that answers it.
    bool IsRestoring() const;

signals:
    // The network context the clearing restarted holds every kept cookie: requests from
    // now on send them again.
    void cookiesRestored();

private:
    void handleAdded(const QNetworkCookie &cookie);
    void handleRemoved(const QNetworkCookie &cookie);
    void startClearing();
    void restore();
    void finish();
    void writeMarker(int round);
    // The round a marker of the running clearing carries, -1 for an earlier clearing's.
    int markerRound(const QNetworkCookie &cookie) const;

    QWebEngineCookieStore *m_store;
    QList<QNetworkCookie> m_cookies;
    std::function<void()> m_clearCache;
    bool m_restoring{};
    bool m_clearAgain{};
    int m_clearing{};
    int m_round{};
    int m_lastOverwrittenRound{-1};
    bool m_sawRoundZero{};
    QTimer m_rounds;
    QTimer m_giveUp;
};
