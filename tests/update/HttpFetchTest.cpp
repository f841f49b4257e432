// The fetch routine against a loopback server of the tests' own that answers, lies,
// stalls and resets as asked.
#include "update/HttpGetToFile.h"

#include <chrono>
#include <future>
#include <thread>

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "support/FaultHttpServer.h"
#include "support/Wait.h"
#include "update/HttpTransfer.h"
#include "update/HttpUrl.h"

namespace {

using Mode = FaultHttpServer::Mode;
using Reply = FaultHttpServer::Reply;

// Longest a transfer may take against a server that stalls: the stall abort and slack.
constexpr auto kNoHang = std::chrono::seconds(kStallSeconds + 5);

TEST(SplitHttpUrlTest, TakesHostPortAndObjectApart)
{
    auto parts = SplitHttpUrl("http://res.example:8080/wd/qovan/ycjWDUpdate.htm?x=1");
    ASSERT_TRUE(parts);
    EXPECT_EQ(parts->host, "res.example");
    EXPECT_EQ(parts->port, 8080);
    EXPECT_EQ(parts->object, "wd/qovan/ycjWDUpdate.htm?x=1");

    parts = SplitHttpUrl("HTTP://res.example");
    ASSERT_TRUE(parts);
    EXPECT_EQ(parts->port, 80);
    EXPECT_TRUE(parts->object.isEmpty());

    parts = SplitHttpUrl("https://res.example/a");
    ASSERT_TRUE(parts);
    EXPECT_TRUE(parts->secure);
    EXPECT_EQ(parts->port, 443);
    EXPECT_EQ(JoinHttpUrl(*parts), "https://res.example/a");
}

TEST(SplitHttpUrlTest, RefusesWhatIsNoPlainWebAddress)
{
    for (const QString &address : {QString("ftp://res.example/a"), QString("file:///etc/passwd"),
                                   QString("http:///a"), QString("http://res.example:/a"),
                                   QString("http://res.example:99999/a"), QString("http://res.example:8x/a"),
                                   QString("http://user@evil.example/a"), QString("http://a b/"),
                                   QString("app://entergame|xyz")})
        EXPECT_FALSE(SplitHttpUrl(address)) << address.toStdString();
}

TEST(SplitHttpUrlTest, LimitsHostAndObjectLength)
{
    EXPECT_TRUE(SplitHttpUrl("http://" + QString(259, 'h') + "/" + QString(511, 'o')));
    EXPECT_FALSE(SplitHttpUrl("http://" + QString(260, 'h') + "/a"));
    EXPECT_FALSE(SplitHttpUrl("http://h/" + QString(512, 'o')));
}

TEST(IsOnHostTest, ComparesHostAndPortNotText)
{
    const QString resource = "http://ycj.res.qovan.localhost:18321";
    EXPECT_TRUE(IsOnHost("http://ycj.res.qovan.localhost:18321/wd/qovan/ycj/fenlow", resource));
    EXPECT_TRUE(IsOnHost("http://YCJ.res.qovan.localhost:18321/x", resource));
    EXPECT_FALSE(IsOnHost("http://evil.example/?x=ycj.res.qovan.localhost:18321", resource));
    EXPECT_FALSE(IsOnHost("http://evil.example/ycj.res.qovan.localhost:18321/x", resource));
    EXPECT_FALSE(IsOnHost("http://ycj.res.qovan.localhost.evil.example:18321/x", resource));
    EXPECT_FALSE(IsOnHost("http://ycj.res.qovan.localhost:18322/x", resource));
    EXPECT_FALSE(IsOnHost("http://ycj.res.qovan.localhost/x", resource));
    EXPECT_FALSE(IsOnHost("https://ycj.res.qovan.localhost:18321/x", resource));
    EXPECT_FALSE(IsOnHost("http://ycj.res.qovan.localhost:443/x", "https://ycj.res.qovan.localhost"));
    EXPECT_FALSE(IsOnHost("", resource));
}

class HttpGetToFileTest : public testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    QString Target() const { return m_dir.filePath("target.bin"); }
    QString Url(const std::string &path) const { return QString::fromStdString(m_server.Url(path)); }
    QByteArray Written() const
    {
        QFile file(Target());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Runs the fetch on another thread; fails the case when it does not end in time.
    bool FetchWithin(std::chrono::milliseconds limit, const QString &address, const HttpGetOptions &options = {})
    {
        auto result = std::async(std::launch::async, [=, this] { return HttpGetToFile(address, Target(), options); });
        if (result.wait_for(limit) != std::future_status::ready)
            ADD_FAILURE() << "the transfer of " << address.toStdString() << " did not end in time";
        return result.get();
    }

    QTemporaryDir m_dir;
    FaultHttpServer m_server;
};

TEST_F(HttpGetToFileTest, WritesTheWholeBodyAndSendsTheRequestsHeaders)
{
    m_server.Set("/file", Reply::With(200, "hello, launcher"));
    EXPECT_TRUE(FetchWithin(kNoHang, Url("/file")));
    EXPECT_EQ(Written(), "hello, launcher");
    const std::string head = m_server.LastHead("/file");
    EXPECT_NE(head.find("GET /file HTTP/1.1\r\n"), std::string::npos);
    EXPECT_NE(head.find("User-Agent: VEZ\r\n"), std::string::npos);
    EXPECT_NE(head.find("Accept-Language: zh-cn \r\n"), std::string::npos);
    EXPECT_NE(head.find("Content-Type: application/x-www-form-urlencoded\r\n"), std::string::npos);
    EXPECT_NE(head.find("Cache-Control: no-cache\r\n"), std::string::npos);
}

// What a reply leaves: no file (refused before the body), exactly these bytes, or fewer
// bytes than the server meant to send.
enum class Leaves { NoFile, Exactly, Fewer };

struct ReplyCase {
    const char *name;
    Reply reply;
    qint64 maxBytes;
    bool fetched;
    Leaves leaves;
    std::string written;
};

// Only a 404 is refused before the body; a length is required and must fit the cap; at
// least the announced bytes are enough; a body that ends early fails and leaves what came.
TEST_F(HttpGetToFileTest, EachReplyEndsAsItsStatusLengthAndBodySay)
{
    const qint64 cap = HttpGetOptions{}.maxBytes;
    const std::string error = "<html>server error</html>";
    const ReplyCase cases[] = {
        {"not found", Reply::With(404, "gone"), cap, false, Leaves::NoFile, {}},
        {"server error", Reply::With(500, error), cap, true, Leaves::Exactly, error},
        {"no length", Reply::With(200, "body").Announcing(-2), cap, false, Leaves::NoFile, {}},
        {"a length past the cap", Reply::With(200, "x").Announcing(5'000'000'000LL), cap, false,
         Leaves::NoFile, {}},
        {"a length past a smaller cap", Reply::With(200, std::string(2000, 'b')), 1000, false, Leaves::NoFile, {}},
        {"more than announced", Reply::With(200, std::string(1000, 'l')).Announcing(500), cap, true,
         Leaves::Exactly, std::string(500, 'l')},
        {"an empty body", Reply::With(200, ""), cap, true, Leaves::Exactly, {}},
        {"less than announced", Reply::With(200, std::string(500, 's')).Announcing(1000), cap, false,
         Leaves::Exactly, std::string(500, 's')},
        {"a reset", Reply::With(200, std::string(200000, 'r')).In(Mode::Reset), cap, false,
         Leaves::Fewer, {}},
    };
    for (const ReplyCase &row : cases) {
        SCOPED_TRACE(row.name);
        QFile::remove(Target());
        m_server.Set("/reply", row.reply);
        HttpGetOptions options;
        options.maxBytes = row.maxBytes;
        EXPECT_EQ(FetchWithin(kNoHang, Url("/reply"), options), row.fetched);
        EXPECT_EQ(QFile::exists(Target()), row.leaves != Leaves::NoFile);
        if (row.leaves == Leaves::Exactly) {
            EXPECT_EQ(Written().toStdString(), row.written);
        } else if (row.leaves == Leaves::Fewer) {
            EXPECT_LT(Written().size(), qsizetype(row.reply.body.size()));
        }
    }
}

TEST_F(HttpGetToFileTest, RedirectsStayOnTheSameHost)
{
    m_server.Set("/file", Reply::With(200, "moved here"));
    Reply same = Reply::With(302, "moved");
    same.location = "/file";
    m_server.Set("/same", same);
    EXPECT_TRUE(FetchWithin(kNoHang, Url("/same")));
    EXPECT_EQ(Written(), "moved here");

    // A Location relative to the answering address's folder, and one with a query.
    m_server.Set("/dir/file", Reply::With(200, "in the folder"));
    Reply relative = Reply::With(301, "moved");
    relative.location = "file";
    m_server.Set("/dir/relative", relative);
    EXPECT_TRUE(FetchWithin(kNoHang, Url("/dir/relative")));
    EXPECT_EQ(Written(), "in the folder");
    Reply query = Reply::With(307, "moved");
    query.location = "../dir/file?from=query";
    m_server.Set("/dir/query", query);
    m_server.Set("/dir/file?from=query", Reply::With(200, "with its query"));
    EXPECT_TRUE(FetchWithin(kNoHang, Url("/dir/query")));
    EXPECT_EQ(Written(), "with its query");

    // A redirect without a Location is an answer like any other but 404; one to itself
    // ends after five redirects.
    Reply nowhere = Reply::With(302, "not moved");
    for (const char *header : {"", "Location:\r\n", "Location:   \r\n"}) {
        nowhere.headers = header;
        m_server.Set("/nowhere", nowhere);
        EXPECT_TRUE(FetchWithin(kNoHang, Url("/nowhere"))) << header;
        EXPECT_EQ(Written(), "not moved");
    }
    Reply loop = Reply::With(302, "moved");
    loop.location = "/loop";
    m_server.Set("/loop", loop);
    EXPECT_FALSE(FetchWithin(kNoHang, Url("/loop")));
    EXPECT_EQ(m_server.Hits("/loop"), 6);

    Reply away = Reply::With(302, "moved");
    away.location = "http://localhost:" + std::to_string(m_server.Port()) + "/elsewhere";
    m_server.Set("/away", away);
    m_server.Set("/elsewhere", Reply::With(200, "elsewhere"));
    EXPECT_FALSE(FetchWithin(kNoHang, Url("/away")));
    EXPECT_EQ(m_server.Hits("/elsewhere"), 0);
}

TEST_F(HttpGetToFileTest, AnAddressOffTheRequiredHostFailsWithoutARequest)
{
    m_server.Set("/file", Reply::With(200, "file"));
    HttpGetOptions options;
    options.requiredOrigin = "http://127.0.0.1:" + QString::number(m_server.Port());
    EXPECT_TRUE(FetchWithin(kNoHang, Url("/file"), options));

    const QString port = QString::number(m_server.Port());
    EXPECT_FALSE(FetchWithin(kNoHang, "http://localhost:" + port + "/file", options));
    EXPECT_FALSE(FetchWithin(kNoHang, "http://localhost:" + port + "/file?h=127.0.0.1:" + port, options));
    EXPECT_EQ(m_server.Hits("/file"), 1);
    EXPECT_EQ(m_server.Hits("/file?h=127.0.0.1:" + port.toStdString()), 0);
}

TEST_F(HttpGetToFileTest, ProgressRisesToAHundredWithoutWrappingOrRepeating)
{
    // Large enough that bytes x 100 overflows 32 bits many times over.
    Reply large;
    large.generated = 64LL << 20;
    m_server.Set("/large", large);
    std::vector<int> seen;
    HttpGetOptions options;
    options.progress = [&seen](int percent) { seen.push_back(percent); };
    EXPECT_TRUE(FetchWithin(std::chrono::seconds(60), Url("/large"), options));
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), 100);
    for (size_t i = 1; i < seen.size(); ++i)
        EXPECT_GT(seen[i], seen[i - 1]) << "at report " << i;
    EXPECT_GE(seen.front(), 0);
    EXPECT_EQ(QFileInfo(Target()).size(), large.generated);
    QFile file(Target());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    ASSERT_TRUE(file.seek(large.generated - 1));
    EXPECT_EQ(file.read(1).at(0), FaultHttpServer::PatternByte(large.generated - 1));
}

TEST_F(HttpGetToFileTest, CancelEndsATransferWhileTheServerSendsNothing)
{
    Reply stall = Reply::With(200, std::string(100000, 'c'));
    stall.mode = Mode::Stall;
    stall.stallAfter = 1;
    m_server.Set("/stall", stall);
    HttpTransfer transfer;
    std::promise<void> headArrived;
    HttpGetOptions options;
    options.transfer = &transfer;
    options.progress = [&headArrived](int percent) {
        if (percent == 0)
            headArrived.set_value();
    };
    auto result = std::async(std::launch::async, [&] { return HttpGetToFile(Url("/stall"), Target(), options); });
    ASSERT_EQ(headArrived.get_future().wait_for(kNoHang), std::future_status::ready);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    ASSERT_EQ(result.wait_for(std::chrono::milliseconds(0)), std::future_status::timeout);
    transfer.Cancel();
    // Well under the library's own once-a-second progress call: the socket was shut down.
    ASSERT_EQ(result.wait_for(std::chrono::milliseconds(500)), std::future_status::ready);
    EXPECT_FALSE(result.get());
    EXPECT_EQ(QFileInfo(Target()).size(), 1);
}

TEST_F(HttpGetToFileTest, ACancelledTransferNeverStarts)
{
    m_server.Set("/file", Reply::With(200, "file"));
    HttpTransfer transfer;
    transfer.Cancel();
    HttpGetOptions options;
    options.transfer = &transfer;
    EXPECT_FALSE(FetchWithin(kNoHang, Url("/file"), options));
    EXPECT_EQ(m_server.Hits("/file"), 0);
}

TEST_F(HttpGetToFileTest, AnUnwritableTargetFailsAfterTheHead)
{
    m_server.Set("/file", Reply::With(200, "file"));
    EXPECT_FALSE(HttpGetToFile(Url("/file"), m_dir.filePath("no/such/folder/target.bin")));
    EXPECT_EQ(m_server.Hits("/file"), 1);
}

// https against a local server with certificates the test makes with the openssl
// command: a test authority, which the transfer trusts only through SSL_CERT_FILE, signs
// one certificate for 127.0.0.1 and one for another name; a third is self-signed.
class HttpsFetchTest : public HttpGetToFileTest
{
protected:
    void SetUp() override
    {
        HttpGetToFileTest::SetUp();
        ASSERT_TRUE(m_certs.isValid());
        ASSERT_TRUE(OpenSsl({"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
                             "-keyout", Cert("ca.key"), "-out", Cert("ca.pem"), "-days", "2", "-subj", "/CN=test authority"}));
        ASSERT_TRUE(Issue("good", "IP:127.0.0.1"));
        ASSERT_TRUE(Issue("othername", "DNS:other.example"));
        ASSERT_TRUE(OpenSsl({"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
                             "-keyout", Cert("self.key"), "-out", Cert("self.pem"), "-days", "2", "-subj", "/CN=127.0.0.1",
                             "-addext", "subjectAltName=IP:127.0.0.1"}));
        qputenv("SSL_CERT_FILE", QFile::encodeName(Cert("ca.pem")));
        m_server.Set("/file", Reply::With(200, "over tls"));
    }

    void TearDown() override { qunsetenv("SSL_CERT_FILE"); }

    QString Cert(const QString &name) const { return m_certs.filePath(name); }

    static bool OpenSsl(const QStringList &arguments)
    {
        QProcess openssl;
        openssl.start("openssl", arguments);
        return openssl.waitForFinished(30000) && openssl.exitCode() == 0;
    }

    // A key and a certificate for `name` signed by the test authority.
    bool Issue(const QString &name, const QString &subjectAltName)
    {
        QFile extensions(Cert(name + ".ext"));
        if (!extensions.open(QIODevice::WriteOnly) || extensions.write("subjectAltName=" + subjectAltName.toLatin1() + "\n") < 0)
            return false;
        extensions.close();
        return OpenSsl({"req", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes", "-keyout",
                        Cert(name + ".key"), "-out", Cert(name + ".csr"), "-subj", "/CN=" + name})
            && OpenSsl({"x509", "-req", "-in", Cert(name + ".csr"), "-CA", Cert("ca.pem"), "-CAkey", Cert("ca.key"),
                        "-CAcreateserial", "-out", Cert(name + ".pem"), "-days", "2", "-extfile", Cert(name + ".ext")});
    }

    void Serve(const QString &name)
    {
        ASSERT_TRUE(m_server.UseTls(Cert(name + ".pem").toStdString(), Cert(name + ".key").toStdString()));
    }

    QTemporaryDir m_certs;
};

TEST_F(HttpsFetchTest, ATrustedCertificateForTheHostIsFetched)
{
    Serve("good");
    ASSERT_TRUE(Url("/file").startsWith("https://"));
    EXPECT_TRUE(FetchWithin(kNoHang, Url("/file")));
    EXPECT_EQ(Written(), "over tls");
    EXPECT_EQ(m_server.RefusedHandshakes(), 0);
}

TEST_F(HttpsFetchTest, EveryUntrustedPeerIsRefusedWithoutFallingBackToHttp)
{
    const std::pair<const char *, const char *> cases[] = {
        {"self-signed", "self"}, {"issued for another name", "othername"}};
    for (const auto &[what, name] : cases) {
        Serve(name);
        EXPECT_FALSE(FetchWithin(kNoHang, Url("/file"))) << what;
        EXPECT_FALSE(QFile::exists(Target())) << what;
    }
    // The self-signed certificate was refused in the handshake (the server counts it on its
    // own thread once the client's alert arrived); the other name after it.
    EXPECT_EVENTUALLY(m_server.RefusedHandshakes() == 1);
    // The system's store alone does not know the test authority.
    Serve("good");
    qunsetenv("SSL_CERT_FILE");
    EXPECT_FALSE(FetchWithin(kNoHang, Url("/file")));
    EXPECT_EQ(m_server.Hits("/file"), 0);
    EXPECT_FALSE(QFile::exists(Target()));
}

TEST_F(HttpsFetchTest, ARedirectToHttpOnTheSamePortIsNotFollowed)
{
    Serve("good");
    Reply down = Reply::With(302, "moved");
    down.location = "http://127.0.0.1:" + std::to_string(m_server.Port()) + "/file";
    m_server.Set("/down", down);
    EXPECT_FALSE(FetchWithin(kNoHang, Url("/down")));
    EXPECT_EQ(m_server.Hits("/down"), 1);
    EXPECT_EQ(m_server.Hits("/file"), 0);
}

} // namespace
