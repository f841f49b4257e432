#include "web/CookieKeeper.h"

#include <QUrl>
#include <QWebEngineCookieStore>

namespace {

// While a clearing runs, the kept cookies are written again every round, followed by a
// session cookie of the keeper's own, the marker, whose value names the clearing and the
// round. Writing a cookie the store holds already replaces it: the store reports the old
// one removed, then the new one added. Round 0 is written before the clearing starts,
// into the context that is still running; once the store has reported it, a marker that
// arrives without the previous round's marker removed just before it went into a store
// that never held one: the restarted context, which loaded only what was on disk.
// Everything written in that round, before the marker, is in that context too. (A store
// that has not reported round 0 may simply not have been listening yet, as before the
// first page loads; such a clearing ends by the time limit.)
constexpr int kRoundMs = 10;
// A clearing whose restart never shows counts as done after this long.
constexpr int kGiveUpMs = 5000;

const char *const kMarkerName = "fenlow-cache-clearing";
// A host no page can have, so the marker is never sent anywhere.
const char *const kMarkerOrigin = "http://cache-clearing.fenlow.invalid/";

bool IsMarker(const QNetworkCookie &cookie)
{
    return cookie.name() == kMarkerName && cookie.domain() == QUrl(QLatin1String(kMarkerOrigin)).host();
}

} // namespace

CookieKeeper::CookieKeeper(QWebEngineCookieStore *store)
    : QObject(store)
    , m_store(store)
{
    m_rounds.setInterval(kRoundMs);
    m_giveUp.setSingleShot(true);
    m_giveUp.setInterval(kGiveUpMs);
    connect(&m_rounds, &QTimer::timeout, this, &CookieKeeper::restore);
    connect(&m_giveUp, &QTimer::timeout, this, &CookieKeeper::finish);
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

void CookieKeeper::startClearing()
{
    m_restoring = true;
    m_clearAgain = false;
    ++m_clearing;
    m_round = 0;
    m_lastOverwrittenRound = -1;
    m_sawRoundZero = false;
    // Round 0 goes into the context that is about to be restarted.
    writeMarker(0);
    m_clearCache();
    m_rounds.start();
    m_giveUp.start();
}

void CookieKeeper::handleAdded(const QNetworkCookie &cookie)
{
    if (!IsMarker(cookie)) {
        m_cookies.removeIf([&](const QNetworkCookie &kept) { return kept.hasSameIdentifier(cookie); });
        m_cookies << cookie;
        return;
    }
    const int round = markerRound(cookie);
    if (round == 0)
        m_sawRoundZero = true;
    else if (m_sawRoundZero && round > 0 && m_lastOverwrittenRound != round - 1)
        finish();
}

void CookieKeeper::handleRemoved(const QNetworkCookie &cookie)
{
    if (!IsMarker(cookie)) {
        // While a clearing runs, a removal is almost always one of the keeper's own
        // replacements, whose addition the restart may swallow: the copy stays.
        if (!m_restoring)
            m_cookies.removeIf([&](const QNetworkCookie &kept) { return kept.hasSameIdentifier(cookie); });
        return;
    }
    const int round = markerRound(cookie);
    if (round >= 0)
        m_lastOverwrittenRound = round;
}

void CookieKeeper::restore()
{
    for (const QNetworkCookie &cookie : std::as_const(m_cookies))
        m_store->setCookie(cookie);
    writeMarker(++m_round);
}

void CookieKeeper::finish()
{
    m_rounds.stop();
    m_giveUp.stop();
    m_sawRoundZero = false;
    m_store->deleteCookie(QNetworkCookie(kMarkerName), QUrl(QLatin1String(kMarkerOrigin)));
    // A further clearing starts from the event loop, outside the engine's notification.
    m_restoring = m_clearAgain;
    if (m_clearAgain)
        QTimer::singleShot(0, this, &CookieKeeper::startClearing);
    emit cookiesRestored();
}

void CookieKeeper::writeMarker(int round)
{
    QNetworkCookie marker(kMarkerName, QByteArray::number(m_clearing) + '.' + QByteArray::number(round));
    m_store->setCookie(marker, QUrl(QLatin1String(kMarkerOrigin)));
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
