#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include "support/TestHttpServer.h"
#include "web/HostWebPage.h"
#include "web/WebEngineSetup.h"

namespace {

constexpr int kLoadTimeoutMs = 15000;

const QByteArray kTopPage = R"(<!doctype html><html><body>
<a id="link" href="app://loadgame|http://game.localhost/play?account=abc&server_id=12">go</a>
<form id="form" action="app://exitgame/" method="get"><input name="x" value="1"></form>
<iframe id="same" src="/frame"></iframe>
</body></html>)";

const QByteArray kFramePage = R"(<!doctype html><html><body>
<a id="link" href="app://minimize/">min</a>
<a id="top" target="_top" href="app://restart/">restart</a>
<script>if (location.hash === '#go') document.getElementById('link').click();</script>
</body></html>)";

// One page under a real view, loaded from a loopback server.
class HostWebPageTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_server.SetPage(QStringLiteral("/top"), kTopPage);
        m_server.SetPage(QStringLiteral("/frame"), kFramePage);
        m_page = new HostWebPage(&m_view);
        m_view.setPage(m_page);
        m_view.resize(400, 300);
        m_view.show();
        QSignalSpy loaded(m_page, &QWebEnginePage::loadFinished);
        m_page->load(QUrl(m_server.Url(QStringLiteral("/top"))));
        ASSERT_TRUE(loaded.wait(kLoadTimeoutMs));
        // The subframe and the channel settle shortly after the top frame.
        QTest::qWait(300);
    }

    // Runs `script` in the top frame and answers the first "app:" address reported.
    QString Reported(const QString &script)
    {
        QSignalSpy spy(m_page, &HostWebPage::appAddressRequested);
        m_page->runJavaScript(script);
        if (!spy.wait(kLoadTimeoutMs))
            return QStringLiteral("<none>");
        return spy.first().first().toString();
    }

    TestHttpServer m_server;
    QWebEngineView m_view;
    HostWebPage *m_page{};
};

TEST_F(HostWebPageTest, TopFrameReportsExactAddressTextAndStays)
{
    const QUrl before = m_page->url();
    EXPECT_EQ(Reported(QStringLiteral("document.getElementById('link').click()")),
              QStringLiteral("app://loadgame|http://game.localhost/play?account=abc&server_id=12"));
    EXPECT_EQ(Reported(QStringLiteral("location.href = 'app://loadgame:abc,12|http://g.localhost/?a=1'")),
              QStringLiteral("app://loadgame:abc,12|http://g.localhost/?a=1"));
    EXPECT_EQ(Reported(QStringLiteral("document.getElementById('form').submit()")),
              QStringLiteral("app://exitgame/?x=1"));
    QTest::qWait(300);
    EXPECT_EQ(m_page->url(), before);
}

TEST_F(HostWebPageTest, SubframesReachTheProgramThroughTheTopFrame)
{
    EXPECT_EQ(Reported(QStringLiteral("document.getElementById('same').contentDocument.getElementById('link').click()")),
              QStringLiteral("app://minimize/"));
    EXPECT_EQ(Reported(QStringLiteral("document.getElementById('same').contentWindow.location.href = 'app://exitgame/'")),
              QStringLiteral("app://exitgame/"));
    EXPECT_EQ(Reported(QStringLiteral("document.getElementById('same').contentDocument.getElementById('top').click()")),
              QStringLiteral("app://restart/"));
}

TEST_F(HostWebPageTest, CrossOriginFrameReportsItsAddress)
{
    // "localhost" and "127.0.0.1" are different origins.
    const QString frameUrl = m_server.Url(QStringLiteral("/frame")).replace(QStringLiteral("127.0.0.1"),
                                                                           QStringLiteral("localhost"));
    EXPECT_EQ(Reported(QStringLiteral("document.getElementById('same').src = '%1#go'").arg(frameUrl)),
              QStringLiteral("app://minimize/"));
}

TEST_F(HostWebPageTest, NonAsciiTextArrivesPercentEncoded)
{
    EXPECT_EQ(Reported(QStringLiteral("location.href = 'app://loadgame:%1,12|'").arg(QStringLiteral("张三"))),
              QStringLiteral("app://loadgame:%E5%BC%A0%E4%B8%89,12|"));
}

TEST(WebEngineSetupTest, BrowserCacheLimitIsOneGigabyte)
{
    EXPECT_TRUE(SetBrowserCacheLimit());
    EXPECT_EQ(WebEngineSetup::Profile()->httpCacheMaximumSize(), 1048576LL * 1024);
}

} // namespace
