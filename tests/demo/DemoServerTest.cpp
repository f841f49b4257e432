#include <gtest/gtest.h>

#include <curl/curl.h>

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTemporaryDir>

// The demo platform as a real process on a free loopback port, spoken to over HTTP.
namespace {

struct Fetched {
    CURLcode result = CURLE_OK;
    long status = 0;
    QByteArray headers;
    QByteArray body;
};

size_t Append(char *data, size_t size, size_t count, void *target)
{
    static_cast<QByteArray *>(target)->append(data, static_cast<qsizetype>(size * count));
    return size * count;
}

class DemoServerTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_dir = new QTemporaryDir;
        s_updateFile = s_dir->filePath(QStringLiteral("fenlow"));
        QFile file(s_updateFile);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(300000, 'x') + "launcher build");
        file.close();

        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        s_port = probe.serverPort();
        probe.close();

        s_server = new QProcess;
        s_server->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        s_server->start(QStringLiteral(FENLOW_BIN_DIR "/fenlow-demo"),
                        {QStringLiteral("--port"), QString::number(s_port), QStringLiteral("--update-file"), s_updateFile});
        ASSERT_TRUE(s_server->waitForStarted());
        for (int attempt = 0; attempt < 100; ++attempt) {
            QTcpSocket socket;
            socket.connectToHost(QHostAddress::LocalHost, s_port);
            if (socket.waitForConnected(100))
                return;
            QThread::msleep(50);
        }
        FAIL() << "the demo platform did not start";
    }

    static void TearDownTestSuite()
    {
        s_server->kill();
        s_server->waitForFinished();
        delete s_server;
        delete s_dir;
    }

    static QByteArray Url(const char *host, const char *target)
    {
        return "http://" + QByteArray(host) + ':' + QByteArray::number(s_port) + target;
    }

    static Fetched Fetch(const QByteArray &url, bool head = false)
    {
        Fetched fetched;
        CURL *curl = curl_easy_init();
        curl_easy_setopt(curl, CURLOPT_URL, url.constData());
        curl_easy_setopt(curl, CURLOPT_NOBODY, head ? 1L : 0L);
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Append);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, &fetched.body);
        curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, Append);
        curl_easy_setopt(curl, CURLOPT_HEADERDATA, &fetched.headers);
        curl_easy_setopt(curl, CURLOPT_TIMEOUT, 20L);
        fetched.result = curl_easy_perform(curl);
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &fetched.status);
        curl_easy_cleanup(curl);
        return fetched;
    }

    // Sends `request` as it stands and returns everything the server answers.
    static QByteArray Raw(const QByteArray &request)
    {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, s_port);
        EXPECT_TRUE(socket.waitForConnected(2000));
        socket.write(request);
        socket.waitForBytesWritten(2000);
        QByteArray answer;
        while (socket.waitForReadyRead(3000))
            answer += socket.readAll();
        return answer + socket.readAll();
    }

    static QByteArray VerKeyValue(const QByteArray &descriptor, const QByteArray &key)
    {
        for (QByteArray line : descriptor.split('\n')) {
            line = line.trimmed();
            if (line.startsWith(key + '='))
                return line.mid(key.size() + 1);
        }
        return {};
    }

    static inline QTemporaryDir *s_dir = nullptr;
    static inline QString s_updateFile;
    static inline quint16 s_port = 0;
    static inline QProcess *s_server = nullptr;
};

TEST_F(DemoServerTest, ServesTheLoginPageWithItsControlsAndAssets)
{
    const Fetched page = Fetch(Url("www.qovan.localhost", "/ycj/"));
    ASSERT_EQ(page.result, CURLE_OK);
    EXPECT_EQ(page.status, 200);
    EXPECT_TRUE(page.headers.contains("Content-Type: text/html; charset=utf-8"));
    for (const char *id : {"account", "account-list", "server-12", "enter-game", "enter-link", "enter-form",
                           "enter-form-submit", "btn-minimize", "btn-exit", "btn-restart"})
        EXPECT_TRUE(page.body.contains("id=\"" + QByteArray(id) + '"')) << id;
    for (const char *link : {"app://minimize/", "app://exitgame/", "app://restart/"})
        EXPECT_TRUE(page.body.contains(link)) << link;
    EXPECT_TRUE(page.body.contains("测试账号"));
    const Fetched script = Fetch(Url("www.qovan.localhost", "/static/login.js"));
    EXPECT_TRUE(script.body.contains("\"app://loadgame|\""));
    EXPECT_TRUE(script.body.contains("\"app://loadgame:\""));
}

TEST_F(DemoServerTest, ServesTheGamePageWithItsTitleAndEnterGameLinks)
{
    const Fetched page = Fetch(Url("www.qovan.localhost", "/game/?account=%E7%8E%A9%E5%AE%B6%E7%94%B2&server_id=12&t=1"));
    ASSERT_EQ(page.status, 200);
    EXPECT_TRUE(page.body.contains("<title>岚汐翼川记- 主城</title>"));
    EXPECT_TRUE(page.body.contains("href=\"app://entergame|xyz\""));
    EXPECT_TRUE(page.body.contains("href=\"app://entergame|xyz|/qvxyz/\""));
    EXPECT_TRUE(Fetch(Url("www.qovan.localhost", "/static/game.js")).body.contains("岚汐翼川记- "));
}

TEST_F(DemoServerTest, DescriptorNamesTheServedFileByItsDigest)
{
    const Fetched descriptor = Fetch(Url("ycj.res.qovan.localhost", "/wd/qovan/ycjWDUpdate.htm"));
    ASSERT_EQ(descriptor.status, 200);
    EXPECT_TRUE(descriptor.body.startsWith("[VerKey]"));
    const QByteArray address = VerKeyValue(descriptor.body, "UpdAddr");
    EXPECT_EQ(address, Url("ycj.res.qovan.localhost", "/wd/qovan/ycj/fenlow"));
    const Fetched file = Fetch(address);
    ASSERT_EQ(file.result, CURLE_OK);
    QFile local(s_updateFile);
    ASSERT_TRUE(local.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.body, local.readAll());
    EXPECT_EQ(VerKeyValue(descriptor.body, "ycj"), QCryptographicHash::hash(file.body, QCryptographicHash::Md5).toHex());
}

TEST_F(DemoServerTest, OtherGameIsReachedByReplacingTheNameAndItsInstallerRuns)
{
    QByteArray address = Url("ycj.res.qovan.localhost", "/wd/qovan/ycjWDUpdate.htm");
    address.replace("ycj", "Xyz");
    const Fetched descriptor = Fetch(address);
    ASSERT_EQ(descriptor.status, 200);
    const QByteArray installerAddress = VerKeyValue(descriptor.body, "UpdAddr");
    EXPECT_TRUE(installerAddress.startsWith("http://down.qovan.localhost:"));
    const Fetched installer = Fetch(installerAddress);
    ASSERT_EQ(installer.status, 200);

    QTemporaryDir home;
    const QString path = home.filePath(QStringLiteral("Xyz.exe"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(installer.body);
    file.close();
    file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
    QProcess run;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    run.setProcessEnvironment(environment);
    run.start(path, {});
    ASSERT_TRUE(run.waitForFinished(5000));
    EXPECT_EQ(run.exitCode(), 0);
    EXPECT_TRUE(QFile::exists(home.filePath(QStringLiteral(".qovan-xyz-installed"))));

    // The installed launcher runs and records its start.
    QProcess launcher;
    launcher.setProcessEnvironment(environment);
    launcher.start(home.filePath(QStringLiteral("data/岚汐/ViziDuved/Xyz.exe")), {});
    ASSERT_TRUE(launcher.waitForFinished(5000));
    EXPECT_EQ(launcher.exitCode(), 0);
    EXPECT_TRUE(QFile::exists(home.filePath(QStringLiteral(".qovan-xyz-started"))));
}

TEST_F(DemoServerTest, WebButtonPagesAnswerOnTheirHosts)
{
    const std::pair<const char *, const char *> pages[] = {
        {"www.qovan.localhost", "/qvycj/"},
        {"bbs.qovan.localhost", "/f1089"},
        {"pay.qovan.localhost", "/pay/?g=ycj"},
        {"kf.qovan.localhost", "/kf"},
    };
    for (const auto &[host, path] : pages) {
        const Fetched page = Fetch(Url(host, path));
        EXPECT_EQ(page.status, 200) << host << path;
        EXPECT_TRUE(page.body.contains("<title>")) << host << path;
        EXPECT_EQ(Fetch(Url("unknown.qovan.localhost", path)).status, 404) << path;
    }
    EXPECT_EQ(Fetch(Url("kf.qovan.localhost", "/f1089")).status, 404);
}

TEST_F(DemoServerTest, HeadAnnouncesTheLengthWithoutABody)
{
    const Fetched head = Fetch(Url("www.qovan.localhost", "/ycj/"), true);
    const Fetched get = Fetch(Url("www.qovan.localhost", "/ycj/"));
    EXPECT_EQ(head.status, 200);
    EXPECT_TRUE(head.body.isEmpty());
    EXPECT_TRUE(head.headers.contains("Content-Length: " + QByteArray::number(get.body.size())));
}

TEST_F(DemoServerTest, BadRequestsAreAnswered400AndTheServerGoesOn)
{
    EXPECT_TRUE(Raw("GARBAGE\r\n\r\n").startsWith("HTTP/1.1 400 "));
    // The start of a TLS handshake: refused at once, not left waiting for a head.
    EXPECT_TRUE(Raw(QByteArray("\x16\x03\x01\x02\x00\x01\x00\x01\xfc\x03\x03", 11)).startsWith("HTTP/1.1 400 "));
    const QByteArray huge = "GET /ycj/ HTTP/1.1\r\nHost: www.qovan.localhost\r\nX-Filler: " + QByteArray(64 * 1024, 'a') + "\r\n\r\n";
    const QByteArray answer = Raw(huge);
    EXPECT_TRUE(answer.startsWith("HTTP/1.1 400 ")) << answer.left(80).constData();
    EXPECT_TRUE(answer.contains("Content-Length: "));
    EXPECT_TRUE(Raw("DELETE /ycj/ HTTP/1.1\r\nHost: www.qovan.localhost\r\n\r\n").startsWith("HTTP/1.1 405 "));
    EXPECT_EQ(Fetch(Url("www.qovan.localhost", "/ycj/")).status, 200);
    EXPECT_EQ(s_server->state(), QProcess::Running);
}

TEST_F(DemoServerTest, MisbehavesOnPurpose)
{
    const Fetched broken = Fetch(Url("www.qovan.localhost", "/broken"));
    EXPECT_EQ(broken.result, CURLE_PARTIAL_FILE);
    EXPECT_EQ(Fetch(Url("www.qovan.localhost", "/status/500")).status, 500);

    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(Fetch(Url("www.qovan.localhost", "/slow?ms=600")).status, 200);
    EXPECT_GE(clock.elapsed(), 600);
}

} // namespace
