#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "support/FileSearch.h"
#include "support/ProbeChannel.h"
#include "support/Wait.h"
#include "web/CookieFileRepair.h"

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList &texts, std::ostream *out)
{
    *out << '"' << texts.join('|').toStdString() << '"';
}
QT_END_NAMESPACE

namespace {

// The hosts the pages come from; names below ".localhost" reach the loopback server.
const char *const kHost = "a.fenlow.localhost";
const char *const kOtherHost = "b.fenlow.localhost";
constexpr int kManyCookies = 100;
// Far more than the engine keeps for one host.
constexpr int kFloodCookies = 3000;

// What "/login" sets: host-only cookies (session and persistent, the many ones too), a
// cookie of the whole domain (HttpOnly, SameSite) and one for "/page" only.
QStringList LoginCookies(bool withSession = true, bool forPage = true)
{
    QStringList cookies{"dom=d1", "keep=p1"};
    if (withSession)
        cookies << "session=s1";
    if (forPage)
        cookies << "deep=x1";
    for (int i = 0; i < kManyCookies; ++i)
        cookies << QStringLiteral("n%1=v%1").arg(i);
    cookies.sort();
    return cookies;
}

// What the page sends after "/logout": the host's login is gone, the domain's cookie changed.
QStringList LoggedOutCookies()
{
    QStringList cookies = LoginCookies(false);
    cookies.removeAll("keep=p1");
    cookies.replace(cookies.indexOf("dom=d1"), "dom=d2");
    cookies.sort();
    return cookies;
}

class CookieServer : public QTcpServer
{
public:
    struct Request {
        QString host;
        QString path;
        QString cookies;
    };

    CookieServer()
    {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, &CookieServer::handleConnection);
    }

    QString Url(const QString &path, const char *host = kHost) const
    {
        return QStringLiteral("http://%1:%2%3").arg(QLatin1String(host)).arg(serverPort()).arg(path);
    }
    int Hits(const QString &path) const
    {
        return int(std::count_if(log.begin(), log.end(), [&](const Request &r) { return r.path == path; }));
    }
    // The cookies of the last request for `path` to `host`, sorted.
    QStringList LastCookies(const QString &path, const char *host = kHost) const
    {
        for (auto it = log.rbegin(); it != log.rend(); ++it) {
            if (it->path == path && it->host.startsWith(QLatin1String(host) + ':')) {
                QStringList cookies = it->cookies.split(QStringLiteral("; "), Qt::SkipEmptyParts);
                cookies.sort();
                return cookies;
            }
        }
        return {};
    }

    QList<Request> log;

private:
    void handleConnection()
    {
        while (QTcpSocket *socket = nextPendingConnection()) {
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                if (!socket->peek(65536).contains("\r\n\r\n"))
                    return;
                const QList<QByteArray> lines = socket->readAll().split('\n');
                Request request;
                request.path = QString::fromLatin1(lines.value(0).split(' ').value(1));
                for (const QByteArray &line : lines) {
                    if (line.toLower().startsWith("cookie:"))
                        request.cookies = QString::fromLatin1(line.mid(7).trimmed());
                    if (line.toLower().startsWith("host:"))
                        request.host = QString::fromLatin1(line.mid(5).trimmed());
                }
                log << request;
                socket->write(Response(request.path));
                socket->disconnectFromHost();
            });
        }
    }

    static QByteArray Response(const QString &target)
    {
        // A query only tells the log apart whose request it was.
        const QString path = target.section('?', 0, 0);
        QByteArray headers = "Content-Type: text/html\r\n";
        QByteArray body = "<!doctype html><title>page</title>";
        if (path.startsWith("/acct/")) {
            // An account's login: its own cookie, and one for the whole parent domain.
            const QByteArray n = path.mid(6).toLatin1();
            headers += "Set-Cookie: acct=" + n + "; Max-Age=86400; Path=/\r\n"
                       "Set-Cookie: dom=" + n + "; Domain=fenlow.localhost; Max-Age=86400; Path=/\r\n";
        } else if (path.startsWith("/flood/")) {
            for (int i = 0; i < kFloodCookies; ++i)
                headers += QStringLiteral("Set-Cookie: f%1=%2; Max-Age=86400; Path=/\r\n").arg(i).arg(path.mid(7)).toLatin1();
        } else if (path == "/login") {
            headers += "Set-Cookie: session=s1; Path=/\r\nSet-Cookie: keep=p1; Max-Age=86400; Path=/\r\n"
                       "Set-Cookie: dom=d1; Domain=fenlow.localhost; Max-Age=86400; Path=/; HttpOnly; SameSite=Strict\r\n"
                       "Set-Cookie: deep=x1; Max-Age=86400; Path=/page\r\n";
            for (int i = 0; i < kManyCookies; ++i)
                headers += QStringLiteral("Set-Cookie: n%1=v%1; Max-Age=86400; Path=/\r\n").arg(i).toLatin1();
        } else if (path == "/plain") {
        } else if (path == "/logout") {
            headers += "Set-Cookie: session=; Max-Age=0; Path=/\r\nSet-Cookie: keep=; Max-Age=0; Path=/\r\n"
                       "Set-Cookie: dom=d2; Domain=fenlow.localhost; Max-Age=86400; Path=/; HttpOnly; SameSite=Strict\r\n";
        } else if (path == "/page") {
            body += "<script src=\"/app.js\"></script>";
        } else if (path == "/app.js") {
            headers = "Content-Type: text/javascript\r\nCache-Control: max-age=3600\r\n";
            body = "document.title = 'ran';";
        } else {
            return "HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\n\r\n";
        }
        return "HTTP/1.0 200 OK\r\n" + headers + "Content-Length: " + QByteArray::number(body.size())
            + "\r\nConnection: close\r\n\r\n" + body;
    }
};

// One run of the program's web profile in a probe process.
class ProfileRun
{
public:
    explicit ProfileRun(const QString &home)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", home);
        environment.insert("XDG_CACHE_HOME", home + "/cache");
        environment.insert("XDG_DATA_HOME", home + "/data");
        m_process.setProcessEnvironment(environment);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral(FENLOW_BIN_DIR "/web-profile-probe"), {});
        cacheFolder = Await("ready ").mid(6);
    }
    ~ProfileRun() { Quit(); }

    // Loads `url` in account slot `slot`'s page; answers whether the load succeeded.
    bool Load(const QString &url, int slot = 0)
    {
        m_process.write(SlotPrefix(slot) + "load " + url.toUtf8() + '\n');
        return Await("loaded ") == "loaded 1";
    }
    // Opens a page in a further account slot; answers the slot's number (0 when none came).
    int OpenSlot()
    {
        m_process.write("slot\n");
        return Await("slot ").mid(5).toInt();
    }
    // Starts loading `url` in slot `slot` and at once deletes the slot's page.
    void LoadAndClose(const QString &url, int slot)
    {
        m_process.write(SlotPrefix(slot) + "load " + url.toUtf8() + '\n' + SlotPrefix(slot) + "close\n");
    }
    // Clears the cache of every slot; answers whether exactly the open further slots
    // `further` and the first one got their cookies back in time.
    bool ClearEverySlot(const QList<int> &further)
    {
        m_process.write("clear\n");
        QStringList cleared;
        QStringList expected{"cleared"};
        for (int slot : further)
            expected << QStringLiteral("cleared @%1").arg(slot);
        for (qsizetype i = 0; i < expected.size(); ++i)
            cleared << Await("cleared");
        cleared.sort();
        expected.sort();
        return cleared == expected;
    }
    // Asks for `times` clearings at once; answers whether each of them got the cookies
    // back in time.
    bool Clear(int times = 1)
    {
        for (int i = 0; i < times; ++i)
            m_process.write("clear\n");
        bool cleared = true;
        for (int i = 0; i < times; ++i)
            cleared = cleared && Await("cleared") == "cleared";
        return cleared;
    }
    // Starts a clearing and ends the process `afterMs` later, while it may still run;
    // answers whether it ended cleanly.
    bool ClearAndQuit(int afterMs)
    {
        m_process.write("clear\n");
        TestWait::Until([] { return false; }, afterMs);
        return Quit();
    }
    // Kills the process, which leaves no time to write anything.
    void Kill()
    {
        m_process.kill();
        m_process.waitForFinished(3000);
    }
    // Ends the process as the program ends; answers whether it ended cleanly.
    bool Quit()
    {
        if (m_process.state() == QProcess::NotRunning)
            return m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
        m_process.write("quit\n");
        m_process.closeWriteChannel();
        TestWait::Until([&] { return m_process.state() == QProcess::NotRunning; }, 15000);
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(3000);
            return false;
        }
        return m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
    }

    QString cacheFolder;

private:
    QString Await(const QString &prefix) { return ProbeChannel::AwaitLine(m_process, prefix); }
    static QByteArray SlotPrefix(int slot) { return slot ? "@" + QByteArray::number(slot) + ' ' : QByteArray(); }

    QProcess m_process;
};

// The engine's cookie file in the profile `home` ran with.
QString CookieFile(const QString &home)
{
    return home + "/data/fenlow/web/Cookies";
}

// The program's journal of cookie changes in the profile `home` ran with.
QString CookieJournalFile(const QString &home)
{
    return home + "/data/fenlow/web/CookieChanges";
}

bool JournalHolds(const QString &home, const QByteArray &text)
{
    QFile file(CookieJournalFile(home));
    return file.open(QIODevice::ReadOnly) && file.readAll().contains(text);
}

// Runs `sql` on the cookie file of `home`, which no run holds open; answers the number of
// rows it changed or counted, -1 when it failed.
int RunOnCookieFile(const QString &home, const QString &sql)
{
    sqlite3 *db = nullptr;
    int rows = -1;
    if (sqlite3_open_v2(CookieFile(home).toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        sqlite3_stmt *statement = nullptr;
        if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &statement, nullptr) == SQLITE_OK) {
            const int step = sqlite3_step(statement);
            if (step == SQLITE_ROW)
                rows = sqlite3_column_int(statement, 0);
            else if (step == SQLITE_DONE)
                rows = sqlite3_changes(db);
        }
        sqlite3_finalize(statement);
    }
    sqlite3_close(db);
    return rows;
}

// Beside each host-only cookie named in `names`, stores the copy the launcher's earlier
// clearing wrote: the same cookie with its host as a domain, holding `value`.
int AddOldClearingCopies(const QString &home, const QStringList &names, const QString &value)
{
    const QStringList columns{"creation_utc", "host_key", "top_frame_site_key", "name", "value",
                              "encrypted_value", "path", "expires_utc", "is_secure", "is_httponly",
                              "last_access_utc", "has_expires", "is_persistent", "priority", "samesite",
                              "source_scheme", "source_port", "is_same_party"};
    QStringList copied = columns;
    copied[0] = "creation_utc + 1";
    copied[1] = "'.' || host_key";
    copied[4] = "'" + value + "'";
    return RunOnCookieFile(home, QStringLiteral("INSERT INTO cookies (%1) SELECT %2 FROM cookies "
                                                "WHERE host_key NOT LIKE '.%' AND name IN ('%3')")
                                     .arg(columns.join(','), copied.join(','), names.join("','")));
}

class BrowserCacheTest : public testing::Test
{
protected:
    QTemporaryDir home;
    CookieServer server;
};

TEST_F(BrowserCacheTest, ClearingRefetchesScriptsAndKeepsTheLogin)
{
    ProfileRun run(home.path());
    ASSERT_TRUE(run.cacheFolder.startsWith(home.path() + "/cache/")) << run.cacheFolder.toStdString();
    ASSERT_TRUE(run.Load(server.Url("/login")));
    ASSERT_TRUE(run.Load(server.Url("/page")));
    ASSERT_EQ(server.Hits("/app.js"), 1);
    ASSERT_EQ(server.LastCookies("/page"), LoginCookies());

    // Without clearing, the script comes from the cache.
    ASSERT_TRUE(run.Load(server.Url("/page")));
    EXPECT_EQ(server.Hits("/page"), 2);
    EXPECT_EQ(server.Hits("/app.js"), 1);

    // Once the clearing is done, the very next load asks for the script again, and the
    // page, the script and another host of the domain get each of their cookies once.
    ASSERT_TRUE(run.Clear());
    ASSERT_TRUE(run.Load(server.Url("/page")));
    EXPECT_EQ(server.Hits("/app.js"), 2);
    EXPECT_EQ(server.LastCookies("/page"), LoginCookies());
    EXPECT_EQ(server.LastCookies("/app.js"), LoginCookies(true, false));
    ASSERT_TRUE(run.Load(server.Url("/plain", kOtherHost)));
    EXPECT_EQ(server.LastCookies("/plain", kOtherHost), QStringList{"dom=d1"});

    // Two clearings asked for at once are harmless, and the engine caches again.
    ASSERT_TRUE(run.Clear(2));
    ASSERT_TRUE(run.Load(server.Url("/page")));
    EXPECT_EQ(server.Hits("/app.js"), 3);
    EXPECT_EQ(server.LastCookies("/page"), LoginCookies());
    ASSERT_TRUE(run.Load(server.Url("/page")));
    EXPECT_EQ(server.Hits("/app.js"), 3);
    EXPECT_EQ(server.LastCookies("/page"), LoginCookies());
    EXPECT_TRUE(run.Quit());
}

// The server's logout a few milliseconds after a clearing has the cookies back, and a
// later clearing or a restart do not bring the login back.
TEST_F(BrowserCacheTest, ALogoutRightAfterAClearingStaysDone)
{
    {
        ProfileRun run(home.path());
        for (int afterMs : {0, 1, 2, 5, 10, 20}) {
            SCOPED_TRACE(afterMs);
            ASSERT_TRUE(run.Load(server.Url("/login")));
            ASSERT_TRUE(run.Clear());
            TestWait::Until([] { return false; }, afterMs);
            ASSERT_TRUE(run.Load(server.Url("/logout")));
            ASSERT_TRUE(run.Load(server.Url("/page")));
            EXPECT_EQ(server.LastCookies("/page"), LoggedOutCookies());
        }
        ASSERT_TRUE(run.Clear());
        ASSERT_TRUE(run.Load(server.Url("/page")));
        EXPECT_EQ(server.LastCookies("/page"), LoggedOutCookies());
        ASSERT_TRUE(run.Quit());
    }
    ProfileRun next(home.path());
    ASSERT_TRUE(next.Load(server.Url("/page")));
    EXPECT_EQ(server.LastCookies("/page"), LoggedOutCookies());
    EXPECT_TRUE(next.Quit());
}

// Each clearing restarts the engine's network context, which reopens the cookie file; a
// restart after any number of them, and after a logout that followed them, finds each
// persistent cookie once, as the last run left it.
TEST_F(BrowserCacheTest, RepeatedClearingsThenARestartSendEachPersistentCookieOnce)
{
    for (int restart = 0; restart < 6; ++restart) {
        SCOPED_TRACE(restart);
        const bool logout = restart % 2 == 1;
        {
            ProfileRun run(home.path());
            ASSERT_TRUE(run.Load(server.Url("/login")));
            for (int i = 0; i < 4; ++i) {
                ASSERT_TRUE(run.Clear());
                ASSERT_TRUE(run.Load(server.Url("/page")));
                ASSERT_EQ(server.LastCookies("/page"), LoginCookies());
            }
            if (logout) {
                ASSERT_TRUE(run.Load(server.Url("/logout")));
            }
            ASSERT_TRUE(run.Quit());
        }
        ProfileRun next(home.path());
        ASSERT_TRUE(next.Load(server.Url("/page")));
        EXPECT_EQ(server.LastCookies("/page"), logout ? LoggedOutCookies() : LoginCookies(false));
        EXPECT_TRUE(next.Quit());
    }
}

// The program ending (as on SIGTERM) at any moment of a clearing leaves each persistent
// cookie once for the next start.
TEST_F(BrowserCacheTest, EndingDuringAClearingKeepsEachPersistentCookieOnce)
{
    for (int afterMs : {0, 5, 20, 60, 150}) {
        SCOPED_TRACE(afterMs);
        {
            ProfileRun run(home.path());
            ASSERT_TRUE(run.Load(server.Url("/login")));
            ASSERT_TRUE(run.ClearAndQuit(afterMs));
        }
        ProfileRun next(home.path());
        ASSERT_TRUE(next.Load(server.Url("/page")));
        EXPECT_EQ(server.LastCookies("/page"), LoginCookies(false));
        EXPECT_TRUE(next.Quit());
    }
}

// A store the earlier clearing damaged holds a domain copy beside host-only cookies (with
// the value they had then); the start removes the copies and keeps the server's own.
TEST_F(BrowserCacheTest, AStoreWithTheOldClearingsCopiesIsRepairedAtStart)
{
    {
        ProfileRun first(home.path());
        ASSERT_TRUE(first.Load(server.Url("/login")));
        ASSERT_TRUE(first.Quit());
    }
    // The next start brings what the engine may not have written yet into the file. The
    // store becomes one of the earlier program's, which the repair has not seen.
    ASSERT_TRUE(ProfileRun(home.path()).Quit());
    ASSERT_EQ(AddOldClearingCopies(home.path(), {"keep", "deep", "n0"}, "old"), 3);
    ASSERT_TRUE(QFile::remove(home.path() + "/data/fenlow/web/CookiesRepaired"));
    {
        ProfileRun damaged(home.path());
        ASSERT_TRUE(damaged.Load(server.Url("/page")));
        EXPECT_EQ(server.LastCookies("/page"), LoginCookies(false));
        ASSERT_TRUE(damaged.Load(server.Url("/plain", kOtherHost)));
        EXPECT_EQ(server.LastCookies("/plain", kOtherHost), QStringList{"dom=d1"});
        ASSERT_TRUE(damaged.Quit());
    }
    EXPECT_EQ(RunOnCookieFile(home.path(), "SELECT COUNT(*) FROM cookies WHERE host_key LIKE '.a.%'"), 0);
    EXPECT_EQ(RunOnCookieFile(home.path(), "SELECT COUNT(*) FROM cookies WHERE name = 'keep'"), 1);
    {
        ProfileRun repaired(home.path());
        ASSERT_TRUE(repaired.Load(server.Url("/page")));
        EXPECT_EQ(server.LastCookies("/page"), LoginCookies(false));
        ASSERT_TRUE(repaired.Quit());
    }
    // The repair is done once: a domain cookie a site later sets beside its host's own stays.
    ASSERT_EQ(AddOldClearingCopies(home.path(), {"n1"}, "site"), 1);
    ASSERT_TRUE(ProfileRun(home.path()).Quit());
    EXPECT_EQ(RunOnCookieFile(home.path(), "SELECT COUNT(*) FROM cookies WHERE name = 'n1'"), 2);
}

// The engine writes its cookie file seconds after a change; the program's journal has the
// change a moment after it, so a login or a logout outlives the program killed then.
TEST_F(BrowserCacheTest, ALoginAndALogoutOutliveTheProgramKilledSoonAfter)
{
    for (const bool logout : {false, true}) {
        SCOPED_TRACE(logout);
        {
            ProfileRun run(home.path());
            ASSERT_TRUE(run.Load(server.Url(logout ? "/logout" : "/login")));
            ASSERT_EVENTUALLY(JournalHolds(home.path(), logout ? "dom=d2" : "n99=v99"));
            EXPECT_EQ(QFile::permissions(CookieJournalFile(home.path())) & ~(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser), 0);
            run.Kill();
        }
        ProfileRun next(home.path());
        ASSERT_TRUE(next.Load(server.Url("/page")));
        EXPECT_EQ(server.LastCookies("/page"), logout ? LoggedOutCookies() : LoginCookies(false));
        EXPECT_TRUE(next.Quit());
        EXPECT_FALSE(QFile::exists(CookieJournalFile(home.path())));
    }
}

// A journal the start cannot bring into the cookie file (no file yet, a layout of another
// engine) stays for a later start, and the file stays as it was; lines that are no
// cookie are skipped.
TEST_F(BrowserCacheTest, AJournalThatCannotBeReplayedStaysAndBadLinesAreSkipped)
{
    {
        ProfileRun first(home.path());
        ASSERT_TRUE(first.Load(server.Url("/plain")));
        ASSERT_TRUE(first.Quit());
    }
    const QString folder = home.path() + "/data/fenlow/web";
    const QString journal = CookieJournalFile(home.path());
    const QByteArray lines = "keep=p9; expires=Fri, 01-Jan-2100 00:00:00 GMT; domain=a.fenlow.localhost; path=/\n"
                             "no cookie at all\n\n=; domain=\n"
                             "gone=1; expires=Thu, 01-Jan-1970 00:00:00 GMT; domain=a.fenlow.localhost; path=/\n";
    const auto writeJournal = [&] {
        QFile file(journal);
        return file.open(QIODevice::WriteOnly) && file.write(lines) == lines.size();
    };

    ASSERT_TRUE(writeJournal());
    ASSERT_EQ(ReplayCookieJournal(home.path() + "/missing", journal), -1);
    EXPECT_TRUE(QFile::exists(journal));

    ASSERT_EQ(RunOnCookieFile(home.path(), "UPDATE meta SET value = '99' WHERE key = 'version'"), 1);
    EXPECT_EQ(ReplayCookieJournal(folder, journal), -1);
    EXPECT_TRUE(QFile::exists(journal));
    EXPECT_EQ(RunOnCookieFile(home.path(), "SELECT COUNT(*) FROM cookies"), 0);

    ASSERT_EQ(RunOnCookieFile(home.path(), "UPDATE meta SET value = '17' WHERE key = 'version'"), 1);
    EXPECT_EQ(ReplayCookieJournal(folder, journal), 2);
    EXPECT_FALSE(QFile::exists(journal));
    ProfileRun next(home.path());
    ASSERT_TRUE(next.Load(server.Url("/page")));
    EXPECT_EQ(server.LastCookies("/page"), QStringList{"keep=p9"});
    EXPECT_TRUE(next.Quit());
}

TEST_F(BrowserCacheTest, ARestartKeepsThePersistentCookieOnly)
{
    {
        ProfileRun first(home.path());
        ASSERT_TRUE(first.Load(server.Url("/login")));
        ASSERT_TRUE(first.Load(server.Url("/page")));
        ASSERT_EQ(server.LastCookies("/page"), LoginCookies());
        ASSERT_TRUE(first.Clear());
        ASSERT_TRUE(first.Load(server.Url("/page")));
        ASSERT_EQ(server.LastCookies("/page"), LoginCookies());
        ASSERT_TRUE(first.Quit());
    }
    ProfileRun second(home.path());
    ASSERT_TRUE(second.Load(server.Url("/page")));
    EXPECT_EQ(server.LastCookies("/page"), LoginCookies(false));
    ASSERT_TRUE(second.Load(server.Url("/plain", kOtherHost)));
    EXPECT_EQ(server.LastCookies("/plain", kOtherHost), QStringList{"dom=d1"});
    EXPECT_TRUE(second.Quit());
}

TEST_F(BrowserCacheTest, EachAccountSlotKeepsItsOwnCookiesAndOnlyTheFirstOnesOutliveTheRun)
{
    {
        ProfileRun run(home.path());
        // Slot 2 logs in on another host and sets a cookie for the whole parent domain;
        // slot 3 floods the first account's own host with cookies (the engine keeps the
        // newest of them, in that slot alone), then logs in there.
        ASSERT_TRUE(run.Load(server.Url("/acct/1")));
        ASSERT_EQ(run.OpenSlot(), 1);
        ASSERT_TRUE(run.Load(server.Url("/acct/2", kOtherHost), 1));
        ASSERT_EQ(run.OpenSlot(), 2);
        ASSERT_TRUE(run.Load(server.Url("/flood/3"), 2));
        ASSERT_TRUE(run.Load(server.Url("/acct/3"), 2));

        const auto expectOwnCookies = [&](const char *when) {
            SCOPED_TRACE(when);
            ASSERT_TRUE(run.Load(server.Url("/plain?s=0")));
            EXPECT_EQ(server.LastCookies("/plain?s=0"), QStringList({"acct=1", "dom=1"}));
            ASSERT_TRUE(run.Load(server.Url("/plain?s=1"), 1));
            EXPECT_EQ(server.LastCookies("/plain?s=1"), QStringList({"dom=2"}));
            ASSERT_TRUE(run.Load(server.Url("/plain?s=1", kOtherHost), 1));
            EXPECT_EQ(server.LastCookies("/plain?s=1", kOtherHost), QStringList({"acct=2", "dom=2"}));
            ASSERT_TRUE(run.Load(server.Url("/plain?s=2"), 2));
            const QStringList third = server.LastCookies("/plain?s=2");
            EXPECT_TRUE(third.contains("acct=3") && third.contains("dom=3") && !third.contains("acct=1")) << third.size();
            EXPECT_GT(third.size(), 100);
        };
        expectOwnCookies("before a clearing");
        ASSERT_TRUE(run.ClearEverySlot({1, 2}));
        expectOwnCookies("after a clearing");

        // A slot closed while its login's cookies are still arriving takes them along.
        ASSERT_EQ(run.OpenSlot(), 3);
        run.LoadAndClose(server.Url("/flood/4"), 3);
        ASSERT_EQ(run.OpenSlot(), 4);
        ASSERT_TRUE(run.Load(server.Url("/plain?s=4"), 4));
        EXPECT_EQ(server.LastCookies("/plain?s=4"), QStringList());
        ASSERT_TRUE(run.ClearEverySlot({1, 2, 4}));
        expectOwnCookies("after a slot closed during its login");
        ASSERT_TRUE(run.Quit());
    }
    // Cookie names and values lie side by side in the store's file: the first account's
    // is there, nothing of the further ones'.
    EXPECT_TRUE(AnyFileHolds(home.path(), "acct1"));
    EXPECT_FALSE(AnyFileHolds(home.path(), "acct2"));
    EXPECT_FALSE(AnyFileHolds(home.path(), "acct3"));

    ProfileRun next(home.path());
    ASSERT_TRUE(next.Load(server.Url("/plain?s=0")));
    EXPECT_EQ(server.LastCookies("/plain?s=0"), QStringList({"acct=1", "dom=1"}));
    ASSERT_EQ(next.OpenSlot(), 1);
    ASSERT_TRUE(next.Load(server.Url("/plain?s=1", kOtherHost), 1));
    EXPECT_EQ(server.LastCookies("/plain?s=1", kOtherHost), QStringList());
    EXPECT_TRUE(next.Quit());
}

} // namespace
