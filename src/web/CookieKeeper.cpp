#include "web/CookieKeeper.h"

#include <array>

#include <QTimer>
#include <QWebEngineCookieStore>

namespace {

// When the kept cookies are written back after a clearing. The network context restarts
// a few milliseconds after the clearing is asked for, and what is written before that
// is lost with the old context: first densely, then a few times more in case the
// engine is slow.
constexpr int kDenseStepMs = 10;
constexpr int kDenseSpanMs = 600;
constexpr std::array<int, 2> kLateRestoresMs{1000, 3000};

} // namespace

CookieKeeper::CookieKeeper(QWebEngineCookieStore *store)
    : QObject(store)
    , m_store(store)
{
    connect(store, &QWebEngineCookieStore::cookieAdded, this, &CookieKeeper::handleAdded);
    connect(store, &QWebEngineCookieStore::cookieRemoved, this, &CookieKeeper::handleRemoved);
    store->loadAllCookies();
}

void CookieKeeper::RestoreAfterClearing()
{
    for (int delay = 0; delay <= kDenseSpanMs; delay += kDenseStepMs)
        QTimer::singleShot(delay, this, &CookieKeeper::restore);
    for (int delay : kLateRestoresMs)
        QTimer::singleShot(delay, this, &CookieKeeper::restore);
}

void CookieKeeper::handleAdded(const QNetworkCookie &cookie)
{
    handleRemoved(cookie);
    m_cookies << cookie;
}

void CookieKeeper::handleRemoved(const QNetworkCookie &cookie)
{
    m_cookies.removeIf([&](const QNetworkCookie &kept) { return kept.hasSameIdentifier(cookie); });
}

void CookieKeeper::restore()
{
    for (const QNetworkCookie &cookie : std::as_const(m_cookies))
        m_store->setCookie(cookie);
}
