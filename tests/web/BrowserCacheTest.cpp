#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "support/ProbeChannel.h"
#include "support/Wait.h"

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

const QStringList kBothCookies{"keep=p1", "session=s1"};

// A loopback HTTP/1.0 server that logs every request's path and Cookie header. "/login"
// sets a session cookie and a persistent one; "/page" loads the script "/app.js",
// which may be cached for an hour.
class CookieServer : public QTcpServer
{
public:
    struct Request {
        QString path;
        QString cookies;
    };

    CookieServer()
    {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, &CookieServer::handleConnection);
    }

    QString Url(const QString &path) const { return QStringLiteral("http://127.0.0.1:%1%2").arg(serverPort()).arg(path); }
    int Hits(const QString &path) const
    {
        return int(std::count_if(log.begin(), log.end(), [&](const Request &r) { return r.path == path; }));
    }
    // The cookies of the last request for `path`, sorted.
    QStringList LastCookies(const QString &path) const
    {
        for (auto it = log.rbegin(); it != log.rend(); ++it) {
            if (it->path == path) {
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
                }
                log << request;
                socket->write(Response(request.path));
                socket->disconnectFromHost();
            });
        }
    }

    static QByteArray Response(const QString &path)
    {
        QByteArray headers = "Content-Type: text/html\r\n";
        QByteArray body = "<!doctype html><title>page</title>";
        if (path == "/login") {
            headers += "Set-Cookie: session=s1; Path=/\r\nSet-Cookie: keep=p1; Max-Age=86400; Path=/\r\n";
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

    // Loads `url`; answers whether the load succeeded.
    bool Load(const QString &url)
    {
        m_process.write("load " + url.toUtf8() + '\n');
        return Await("loaded ") == "loaded 1";
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

    QProcess m_process;
};

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

    // Without clearing, the script comes from the cache.
    ASSERT_TRUE(run.Load(server.Url("/page")));
    EXPECT_EQ(server.Hits("/page"), 2);
    EXPECT_EQ(server.Hits("/app.js"), 1);

    // Once the clearing is done, the very next load asks for the script again, and both
    // the page and the script go with both cookies.
    ASSERT_TRUE(run.Clear());
    ASSERT_TRUE(run.Load(server.Url("/page")));
    EXPECT_EQ(server.Hits("/app.js"), 2);
    EXPECT_EQ(server.LastCookies("/page"), kBothCookies);
    EXPECT_EQ(server.LastCookies("/app.js"), kBothCookies);

    // Two clearings asked for at once are harmless, and the engine caches again.
    ASSERT_TRUE(run.Clear(2));
    ASSERT_TRUE(run.Load(server.Url("/page")));
    EXPECT_EQ(server.Hits("/app.js"), 3);
    EXPECT_EQ(server.LastCookies("/page"), kBothCookies);
    ASSERT_TRUE(run.Load(server.Url("/page")));
    EXPECT_EQ(server.Hits("/app.js"), 3);
    EXPECT_EQ(server.LastCookies("/page"), kBothCookies);
    EXPECT_TRUE(run.Quit());
}

TEST_F(BrowserCacheTest, ARestartKeepsThePersistentCookieOnly)
{
    {
        ProfileRun first(home.path());
        ASSERT_TRUE(first.Load(server.Url("/login")));
        ASSERT_TRUE(first.Load(server.Url("/page")));
        ASSERT_EQ(server.LastCookies("/page"), kBothCookies);
        ASSERT_TRUE(first.Clear());
        ASSERT_TRUE(first.Load(server.Url("/page")));
        ASSERT_EQ(server.LastCookies("/page"), kBothCookies);
        ASSERT_TRUE(first.Quit());
    }
    ProfileRun second(home.path());
    ASSERT_TRUE(second.Load(server.Url("/page")));
    EXPECT_EQ(server.LastCookies("/page"), QStringList{"keep=p1"});
    EXPECT_TRUE(second.Quit());
}

} // namespace
