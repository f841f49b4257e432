#pragma once

#include <functional>

#include <QList>
#include <QNetworkCookie>
#include <QObject>
#include <QTimer>

class QWebEngineCookieStore;

// Keeps a copy of every cookie a profile holds, session cookies included. Clearing the
// engine's HTTP cache restarts its network context, which reloads the cookies from disk
// and so loses the session cookies, whatever it had not written yet, and the deletions it
// had not written yet either. The keeper runs such a clearing, waits for the restarted
// context and then makes it hold exactly what the old one held: each kept cookie written
// back as the very cookie it was (same name, domain or host-only, path and attributes, so
// it replaces rather than doubles the copy on disk), each cookie removed meanwhile removed
// again. It tells when that context holds them.
class CookieKeeper : public QObject
{
    Q_OBJECT
public:
    // `storeOnDisk` tells whether the store keeps a cookie file; one kept in memory only
    // never loads a cookie after a restart, which then says nothing about a file.
    explicit CookieKeeper(QWebEngineCookieStore *store, bool storeOnDisk = true);

    // Runs `clearCache`, a clearing that restarts the network context, and restores the
    // kept cookies into the restarted context; then emits cookiesRestored().
    // A call while a clearing runs waits for it: all calls made meanwhile share one
    // further clearing, with a cookiesRestored() of its own, once it is done.
    void ClearKeepingCookies(const std::function<void()> &clearCache);
    // True from a call of ClearKeepingCookies until the cookiesRestored() that answers it.
    bool IsRestoring() const;
    // Whether `cookie` is one of the keeper's own, which only a running clearing uses.
    static bool IsOwnCookie(const QNetworkCookie &cookie);

signals:
    // The network context the clearing restarted holds every kept cookie: requests from
    // now on send them again.
    void cookiesRestored();

private:
    void handleAdded(const QNetworkCookie &cookie);
    void handleRemoved(const QNetworkCookie &cookie);
    void handleMarker(const QNetworkCookie &marker);
    // Drops what the keeper knew of the cookie with `cookie`'s name, domain and path.
    void forget(const QNetworkCookie &cookie);
    void startClearing();
    void nextRound();
    void writeBack();
    void finish();
    void writeMarker(int round);
    // The round a marker of the running clearing carries, -1 for an earlier clearing's.
    int markerRound(const QNetworkCookie &cookie) const;

    QWebEngineCookieStore *m_store;
    // What the store holds, as it reported it.
    QList<QNetworkCookie> m_cookies;
    // Cookies the store reported removed in this run and not set again since.
    QList<QNetworkCookie> m_removed;
    std::function<void()> m_clearCache;
    bool m_restoring{};
    bool m_clearAgain{};
    int m_clearing{};
    int m_round{};
    int m_lastOverwrittenRound{-1};
    // The round of the marker written after the kept cookies, -1 before they are written.
    int m_writtenBackRound{-1};
    bool m_sawRoundZero{};
    // Whether the restarted context loaded the file marker from the cookie file.
    bool m_contextLoadedFile{};
    int m_reopenAttempt{};
    const bool m_storeOnDisk;
    QTimer m_rounds;
    QTimer m_giveUp;
};
