#include "web/CookieJournal.h"

#include <QDateTime>
#include <QFile>
#include <QSaveFile>
#include <QWebEngineCookieStore>

#include "web/CookieKeeper.h"

namespace {

// Long enough to write a burst of changes once, short enough that little is lost when the
// program is killed.
constexpr int kFlushDelayMs = 200;

} // namespace

CookieJournal::CookieJournal(QWebEngineCookieStore *store, const QString &path)
    : QObject(store)
    , m_path(path)
    , m_changes(Read(path))
{
    m_flush.setSingleShot(true);
    m_flush.setInterval(kFlushDelayMs);
    connect(&m_flush, &QTimer::timeout, this, &CookieJournal::flush);
    connect(store, &QWebEngineCookieStore::cookieAdded, this, &CookieJournal::added);
    connect(store, &QWebEngineCookieStore::cookieRemoved, this, &CookieJournal::removed);
}

CookieJournal::~CookieJournal()
{
    if (m_pending)
        flush();
}

QList<QNetworkCookie> CookieJournal::Read(const QString &path)
{
    QFile file(path);
    QList<QNetworkCookie> changes;
    if (!file.open(QIODevice::ReadOnly))
        return changes;
    while (!file.atEnd()) {
        const QList<QNetworkCookie> parsed = QNetworkCookie::parseCookies(file.readLine().trimmed());
        if (parsed.size() == 1 && !parsed.first().domain().isEmpty())
            Record(changes, parsed.first());
    }
    return changes;
}

bool CookieJournal::Write(const QString &path, const QList<QNetworkCookie> &changes)
{
    QSaveFile file(path);
    // Cookies carry logins: only the user may read them, as the engine's own file.
    if (!file.open(QIODevice::WriteOnly) || !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        return false;
    for (const QNetworkCookie &cookie : changes)
        file.write(cookie.toRawForm(QNetworkCookie::Full) + '\n');
    return file.commit();
}

void CookieJournal::Record(QList<QNetworkCookie> &changes, const QNetworkCookie &cookie)
{
    changes.removeIf([&](const QNetworkCookie &change) { return change.hasSameIdentifier(cookie); });
    changes << cookie;
}

void CookieJournal::added(const QNetworkCookie &cookie)
{
    if (CookieKeeper::IsOwnCookie(cookie))
        return;
    Record(m_changes, cookie);
    m_pending = true;
    m_flush.start();
}

void CookieJournal::removed(QNetworkCookie cookie)
{
    cookie.setExpirationDate(QDateTime::fromSecsSinceEpoch(0, Qt::UTC));
    added(cookie);
}

void CookieJournal::flush()
{
    // A journal that cannot be written (a full disk, a folder made read-only) is tried
    // again at the next change and at the end; the cookie file still gets what the
    // engine writes.
    m_pending = !Write(m_path, m_changes);
    if (m_pending)
        qWarning("Cookie changes could not be saved to %s", qPrintable(m_path));
}
