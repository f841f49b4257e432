#include "web/CookieFileRepair.h"

#include <sqlite3.h>

#include <functional>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include "web/CookieJournal.h"

namespace {

// A domain cookie's host_key is its domain with a leading dot, a host-only cookie's its
// host alone. Cookies of another top frame are other cookies.
const char *const kRemoveCopies =
    "DELETE FROM cookies WHERE host_key LIKE '.%' AND EXISTS (SELECT 1 FROM cookies AS own "
    "WHERE own.host_key = substr(cookies.host_key, 2) AND own.name = cookies.name "
    "AND own.path = cookies.path AND own.top_frame_site_key = cookies.top_frame_site_key)";

// The layout of the cookie file the journal's rows are written for.
const char *const kKnownVersion = "SELECT 1 FROM meta WHERE key = 'version' AND value = '17'";
const char *const kDelete =
    "DELETE FROM cookies WHERE host_key = ?1 AND top_frame_site_key = '' AND name = ?2 AND path = ?3";
const char *const kInsert =
    "INSERT INTO cookies (creation_utc, host_key, top_frame_site_key, name, value, encrypted_value, path, "
    "expires_utc, is_secure, is_httponly, last_access_utc, has_expires, is_persistent, priority, samesite, "
    "source_scheme, source_port, is_same_party) "
    "VALUES (?4, ?1, '', ?2, ?5, X'', ?3, ?6, ?7, ?8, ?4, 1, 1, 1, ?9, ?10, -1, 0)";

// The file counts time in microseconds since 1601-01-01 UTC.
constexpr qint64 kSecondsFrom1601To1970 = 11644473600;

qint64 FileTime(const QDateTime &time)
{
    return (time.toMSecsSinceEpoch() + kSecondsFrom1601To1970 * 1000) * 1000;
}

// The file's SameSite values: unspecified, none, lax, strict.
int FileSameSite(QNetworkCookie::SameSite policy)
{
    switch (policy) {
    case QNetworkCookie::SameSite::None:
        return 0;
    case QNetworkCookie::SameSite::Lax:
        return 1;
    case QNetworkCookie::SameSite::Strict:
        return 2;
    default:
        return -1;
    }
}

void Bind(sqlite3_stmt *statement, int index, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(statement, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

// Runs `sql` on `cookie`'s name, domain and path (?1 to ?3) and what `bind` adds.
bool Run(sqlite3 *db, const char *sql, const QNetworkCookie &cookie, const std::function<void(sqlite3_stmt *)> &bind = {})
{
    sqlite3_stmt *statement = nullptr;
    bool done = sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK;
    if (done) {
        Bind(statement, 1, cookie.domain());
        Bind(statement, 2, QString::fromUtf8(cookie.name()));
        Bind(statement, 3, cookie.path().isEmpty() ? QStringLiteral("/") : cookie.path());
        if (bind)
            bind(statement);
        done = sqlite3_step(statement) == SQLITE_DONE;
    }
    sqlite3_finalize(statement);
    return done;
}

// Removes the file's copy of `cookie` and, for a persistent cookie not yet expired,
// writes it in its place; `now` is the time of writing, unique for each cookie.
bool Replay(sqlite3 *db, const QNetworkCookie &cookie, qint64 now)
{
    if (!Run(db, kDelete, cookie))
        return false;
    if (cookie.isSessionCookie() || cookie.expirationDate() <= QDateTime::currentDateTimeUtc())
        return true;
    return Run(db, kInsert, cookie, [&](sqlite3_stmt *statement) {
        sqlite3_bind_int64(statement, 4, now);
        Bind(statement, 5, QString::fromUtf8(cookie.value()));
        sqlite3_bind_int64(statement, 6, FileTime(cookie.expirationDate()));
        sqlite3_bind_int(statement, 7, cookie.isSecure());
        sqlite3_bind_int(statement, 8, cookie.isHttpOnly());
        sqlite3_bind_int(statement, 9, FileSameSite(cookie.sameSitePolicy()));
        sqlite3_bind_int(statement, 10, cookie.isSecure() ? 2 : 1);
    });
}

bool HasKnownLayout(sqlite3 *db)
{
    sqlite3_stmt *statement = nullptr;
    const bool known = sqlite3_prepare_v2(db, kKnownVersion, -1, &statement, nullptr) == SQLITE_OK
        && sqlite3_step(statement) == SQLITE_ROW;
    sqlite3_finalize(statement);
    return known;
}

} // namespace

int RemoveOldClearingCopies(const QString &folder)
{
    // A site may set a host-only and a domain cookie of one name itself: once a store is
    // repaired (or was made by this program, which writes no copies), it is left alone.
    QFile repaired(folder + QStringLiteral("/CookiesRepaired"));
    if (repaired.exists())
        return 0;
    const QString path = folder + QStringLiteral("/Cookies");
    sqlite3 *db = nullptr;
    int removed = 0;
    if (QFileInfo(path).isFile()) {
        removed = sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK
                && sqlite3_exec(db, kRemoveCopies, nullptr, nullptr, nullptr) == SQLITE_OK
            ? sqlite3_changes(db)
            : -1;
        sqlite3_close(db);
    }
    if (removed >= 0 && QDir().mkpath(folder))
        repaired.open(QIODevice::WriteOnly);
    return removed;
}

int ReplayCookieJournal(const QString &folder, const QString &journal)
{
    const QList<QNetworkCookie> changes = CookieJournal::Read(journal);
    if (changes.isEmpty()) {
        QFile::remove(journal);
        return 0;
    }
    const QString path = folder + QStringLiteral("/Cookies");
    sqlite3 *db = nullptr;
    bool done = QFileInfo(path).isFile()
        && sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK
        && HasKnownLayout(db) && sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK;
    qint64 now = FileTime(QDateTime::currentDateTimeUtc());
    for (const QNetworkCookie &cookie : changes)
        done = done && Replay(db, cookie, now++);
    done = done && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    if (!done)
        return -1;
    QFile::remove(journal);
    return int(changes.size());
}
