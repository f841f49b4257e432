#include "web/CookieFileRepair.h"

#include <sqlite3.h>

#include <QFileInfo>
#include <QString>

namespace {

// A domain cookie's host_key is its domain with a leading dot, a host-only cookie's its
// host alone. Cookies of another top frame are other cookies.
const char *const kRemoveCopies =
    "DELETE FROM cookies WHERE host_key LIKE '.%' AND EXISTS (SELECT 1 FROM cookies AS own "
    "WHERE own.host_key = substr(cookies.host_key, 2) AND own.name = cookies.name "
    "AND own.path = cookies.path AND own.top_frame_site_key = cookies.top_frame_site_key)";

} // namespace

int RemoveOldClearingCopies(const QString &folder)
{
    const QString path = folder + QStringLiteral("/Cookies");
    if (!QFileInfo(path).isFile())
        return 0;
    sqlite3 *db = nullptr;
    int removed = -1;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK
        && sqlite3_exec(db, kRemoveCopies, nullptr, nullptr, nullptr) == SQLITE_OK)
        removed = sqlite3_changes(db);
    sqlite3_close(db);
    return removed;
}
