#include "web/CookieKeeper.h"

#include <QDateTime>
#include <QUrl>
#include <QWebEngineCookieStore>

namespace {

// While a clearing runs, a session cookie of the keeper's own, the marker, is written
// every round; its value names the clearing and the round. Writing a cookie the store
// holds already replaces it: the store reports the old one removed, then the new one
// added. Round 0 is written before the clearing starts, into the context that is still
// running; once the store has reported it, a marker that arrives without the previous
// round's marker removed just before it went into a store that never held one: the
// restarted context, which loaded only what was on disk. The kept cookies are written
// back then, followed by one more marker: once that one shows, they are in. (A store
// that has not reported round 0 may simply not have been listening yet, as before the
// first page loads; such a clearing ends by the time limit.)
constexpr int kRoundMs = 10;
// A clearing whose restart never shows counts as done after this long.
constexpr int kGiveUpMs = 5000;
// The restarted context opens the cookie file while the old one may still hold it: the
// file then stays closed to the new context, which loads nothing from it and writes
// nothing to it until the next restart: the cookies on disk are missing meanwhile, and
// every change from then on is gone at the next start. Before the clearing a
// persistent cookie of the keeper's own, the file marker, goes into the old context, which
// writes it to the file as it closes; a restarted context that opened the file loaded it,
// so writing it again in the write-back replaces it. When it does not, the clearing
// restarts the context once more (the failed one holds no file, so the next one opens
// it), this many times at most.
constexpr int kReopenAttempts = 5;

const char *const kMarkerName = "fenlow-cache-clearing";
const char *const kFileMarkerName = "fenlow-cookie-file";
// A host no page can have, so the marker is never sent anywhere.
const char *const kMarkerOrigin = "http://cache-clearing.fenlow.invalid/";

QUrl MarkerOrigin()
{
    return QUrl(QLatin1String(kMarkerOrigin));
}

bool IsMarker(const QNetworkCookie &cookie)
{
    return cookie.name() == kMarkerName && cookie.domain() == MarkerOrigin().host();
}

bool IsFileMarker(const QNetworkCookie &cookie)
{
    return cookie.name() == kFileMarkerName && cookie.domain() == MarkerOrigin().host();
}

void WriteFileMarker(QWebEngineCookieStore *store)
{
    QNetworkCookie marker(kFileMarkerName, "1");
    marker.setExpirationDate(QDateTime::currentDateTimeUtc().addDays(1));
    store->setCookie(marker, MarkerOrigin());
}

// The store names a domain cookie's domain with a leading dot, a host-only cookie's by
// its host alone.
bool IsHostOnly(const QNetworkCookie &cookie)
{
    return !cookie.domain().startsWith(QLatin1Char('.'));
}

bool IsExpired(const QNetworkCookie &cookie)
{
    return !cookie.isSessionCookie() && cookie.expirationDate() <= QDateTime::currentDateTimeUtc();
}

// Writes `cookie` so that the store holds it as it was, replacing the cookie of the same
// name, domain and path: a host-only cookie goes without a domain attribute from its
// host's address (with one it would become a cookie of the whole domain, beside the
// host's own), a domain cookie with its leading-dot domain; a secure one from an https
// address, which the engine requires.
void WriteExactly(QWebEngineCookieStore *store, QNetworkCookie cookie)
{
    QUrl origin;
    origin.setScheme(cookie.isSecure() ? QStringLiteral("https") : QStringLiteral("http"));
    origin.setHost(IsHostOnly(cookie) ? cookie.domain() : cookie.domain().mid(1));
    origin.setPath(cookie.path().isEmpty() ? QStringLiteral("/") : cookie.path());
    if (IsHostOnly(cookie))
        cookie.setDomain(QString());
    store->setCookie(cookie, origin);
}

// Removes exactly `cookie`. The store's own deletion removes every cookie of that name
// sent to an address, host-only and domain cookies and other paths alike; an expired
// cookie of the same name, domain and path replaces this one only.
void RemoveExactly(QWebEngineCookieStore *store, QNetworkCookie cookie)
{
    cookie.setValue({});
    cookie.setExpirationDate(QDateTime::fromSecsSinceEpoch(0, Qt::UTC));
    WriteExactly(store, cookie);
}

} // namespace

CookieKeeper::CookieKeeper(QWebEngineCookieStore *store, bool storeOnDisk)
    : QObject(store)
    , m_store(store)
    , m_storeOnDisk(storeOnDisk)
{
    m_rounds.setInterval(kRoundMs);
    m_giveUp.setSingleShot(true);
    m_giveUp.setInterval(kGiveUpMs);
    connect(&m_rounds, &QTimer::timeout, this, &CookieKeeper::nextRound);
    connect(&m_giveUp, &QTimer::timeout, this, [this] {
        if (m_writtenBackRound < 0)
            writeBack();
        finish();
    });
    connect(store, &QWebEngineCookieStore::cookieAdded, this, &CookieKeeper::handleAdded);
    connect(store, &QWebEngineCookieStore::cookieRemoved, this, &CookieKeeper::handleRemoved);
    store->loadAllCookies();
}

void CookieKeeper::ClearKeepingCookies(const std::function<void()> &clearCache)
{
    m_clearCache = clearCache;
    if (m_restoring) {
        m_clearAgain = true;
        return;
    }
    startClearing();
}

bool CookieKeeper::IsRestoring() const
{
    return m_restoring;
}

bool CookieKeeper::IsOwnCookie(const QNetworkCookie &cookie)
{
    return IsMarker(cookie) || IsFileMarker(cookie);
}

void CookieKeeper::startClearing()
{
    m_restoring = true;
    ++m_clearing;
    m_round = 0;
    m_lastOverwrittenRound = -1;
    m_writtenBackRound = -1;
    m_sawRoundZero = false;
    // The markers go into the context that is about to be restarted. A further attempt
    // finds the file marker where the first one's old context wrote it.
    if (m_reopenAttempt == 0)
        WriteFileMarker(m_store);
    writeMarker(0);
    m_clearCache();
    m_rounds.start();
    // Further attempts share the first one's time limit.
    if (m_reopenAttempt == 0)
        m_giveUp.start();
}

void CookieKeeper::handleAdded(const QNetworkCookie &cookie)
{
    if (IsMarker(cookie)) {
        handleMarker(cookie);
        return;
    }
    if (IsFileMarker(cookie))
        return;
    forget(cookie);
    m_cookies << cookie;
}

void CookieKeeper::handleRemoved(const QNetworkCookie &cookie)
{
    if (IsMarker(cookie)) {
        const int round = markerRound(cookie);
        if (round >= 0)
            m_lastOverwrittenRound = round;
        return;
    }
    if (IsFileMarker(cookie)) {
        m_contextLoadedFile = m_contextLoadedFile || m_writtenBackRound >= 0;
        return;
    }
    // While the kept cookies are written back, a removal is one of them replacing the
    // copy the restarted context loaded; the addition after it tells what the store holds.
    if (m_writtenBackRound >= 0)
        return;
    forget(cookie);
    m_removed << cookie;
}

void CookieKeeper::forget(const QNetworkCookie &cookie)
{
    const auto same = [&](const QNetworkCookie &kept) { return kept.hasSameIdentifier(cookie); };
    m_cookies.removeIf(same);
    m_removed.removeIf(same);
}

void CookieKeeper::handleMarker(const QNetworkCookie &marker)
{
    const int round = markerRound(marker);
    if (round < 0) {
        // A marker of an earlier clearing or run that outlived it.
        if (!m_restoring)
            m_store->deleteCookie(QNetworkCookie(kMarkerName), MarkerOrigin());
        return;
    }
    if (round == m_writtenBackRound) {
        if (m_storeOnDisk && !m_contextLoadedFile && m_reopenAttempt < kReopenAttempts) {
            ++m_reopenAttempt;
            m_writtenBackRound = -1;
            // Only a context that opens the file holds the file marker from now on.
            m_store->deleteCookie(QNetworkCookie(kFileMarkerName), MarkerOrigin());
            QTimer::singleShot(0, this, &CookieKeeper::startClearing);
            return;
        }
        finish();
        return;
    }
    if (m_writtenBackRound >= 0)
        return;
    if (round == 0)
        m_sawRoundZero = true;
    else if (m_sawRoundZero && m_lastOverwrittenRound != round - 1)
        writeBack();
}

void CookieKeeper::nextRound()
{
    writeMarker(++m_round);
}

void CookieKeeper::writeBack()
{
    m_rounds.stop();
    // The restarted context loaded what was on disk: removals not yet written there come
    // back with it, and cookies changed since come back with their old values.
    m_cookies.removeIf(IsExpired);
    m_contextLoadedFile = false;
    WriteFileMarker(m_store);
    for (const QNetworkCookie &removed : std::as_const(m_removed))
        RemoveExactly(m_store, removed);
    for (const QNetworkCookie &cookie : std::as_const(m_cookies))
        WriteExactly(m_store, cookie);
    m_writtenBackRound = ++m_round;
    writeMarker(m_writtenBackRound);
}

void CookieKeeper::finish()
{
    m_reopenAttempt = 0;
    m_rounds.stop();
    m_giveUp.stop();
    m_sawRoundZero = false;
    m_writtenBackRound = -1;
    m_store->deleteCookie(QNetworkCookie(kMarkerName), MarkerOrigin());
    m_store->deleteCookie(QNetworkCookie(kFileMarkerName), MarkerOrigin());
    // A further clearing starts from the event loop, outside the engine's notification.
    m_restoring = m_clearAgain;
    if (m_clearAgain)
        QTimer::singleShot(0, this, &CookieKeeper::startClearing);
    m_clearAgain = false;
    emit cookiesRestored();
}

void CookieKeeper::writeMarker(int round)
{
    QNetworkCookie marker(kMarkerName, QByteArray::number(m_clearing) + '.' + QByteArray::number(round));
    m_store->setCookie(marker, MarkerOrigin());
}

int CookieKeeper::markerRound(const QNetworkCookie &cookie) const
{
    const QList<QByteArray> parts = cookie.value().split('.');
    bool clearingOk = false;
    bool roundOk = false;
    const int clearing = parts.value(0).toInt(&clearingOk);
    const int round = parts.value(1).toInt(&roundOk);
    return parts.size() == 2 && clearingOk && roundOk && clearing == m_clearing ? round : -1;
}
