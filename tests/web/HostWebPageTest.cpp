#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include "support/PageScript.h"
#include "support/QtPrinters.h"
#include "support/TestHttpServer.h"
#include "support/Wait.h"
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
        m_page = new HostWebPage(WebEngineSetup::Profile(), &m_view);
        m_view.setPage(m_page);
        m_view.resize(400, 300);
        m_view.show();
        QSignalSpy loaded(m_page, &QWebEnginePage::loadFinished);
        QSignalSpy arrived(m_page, &HostWebPage::documentArrived);
        m_page->load(QUrl(m_server.Url(QStringLiteral("/top"))));
        ASSERT_TRUE(loaded.wait(kLoadTimeoutMs));
        // The top frame's script says its document arrived over the channel, so the
        // channel is up; the subframe's document, scripts included, is complete.
        ASSERT_EVENTUALLY(arrived.count() == 1, kLoadTimeoutMs);
        ASSERT_EVENTUALLY(Script(QStringLiteral("document.getElementById('same').contentDocument.readyState")) ==
                              QStringLiteral("complete"),
                          kLoadTimeoutMs);
    }

    QString Script(const QString &source) { return PageScript::RunScript(m_page, source).toString(); }

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
    // Every navigation the document lets begin asks it to unload first.
    TestHttpServer::Response noContent;
    noContent.status = "204 No Content";
    m_server.SetResponse(QStringLiteral("/stay"), noContent);
    ASSERT_EQ(Script(QStringLiteral("window.unloadAsked = 0;"
                                    "addEventListener('beforeunload', () => ++window.unloadAsked); 'counting'")),
              QStringLiteral("counting"));
    const QUrl before = m_page->url();
    EXPECT_EQ(Reported(QStringLiteral("document.getElementById('link').click()")),
              QStringLiteral("app://loadgame|http://game.localhost/play?account=abc&server_id=12"));
    EXPECT_EQ(Reported(QStringLiteral("location.href = 'app://loadgame:abc,12|http://g.localhost/?a=1'")),
              QStringLiteral("app://loadgame:abc,12|http://g.localhost/?a=1"));
    EXPECT_EQ(Reported(QStringLiteral("document.getElementById('form').submit()")),
              QStringLiteral("app://exitgame/?x=1"));
    // A later navigation of the top frame reaches the network (and, answered with no
    // content, leaves the page); the addresses before it never began to navigate: the
    // document was asked to unload once, for that navigation alone, and is still there.
    Script(QStringLiteral("location.href = '/stay'"));
    ASSERT_EVENTUALLY(m_server.Hits(QStringLiteral("/stay")) == 1, kLoadTimeoutMs);
    EXPECT_EQ(Script(QStringLiteral("String(window.unloadAsked)")), QStringLiteral("1"));
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

TEST(WebEngineSetupTest, ErrorPagesCarryTheSharedHeadAndStyleWithNoMarkLeft)
{
    const QUrl failed(QStringLiteral("http://a.localhost/x"));
    for (const QString &html : {WebEngineSetup::ErrorPageHtml(WebEngineSetup::kErrorPage, failed),
                                WebEngineSetup::GameErrorPageHtml(QStringLiteral("标题"), QStringLiteral("文字"), failed)}) {
        EXPECT_TRUE(html.contains(QStringLiteral("<head>\n<meta charset=\"utf-8\">\n<style>\n"))) << html.left(200).toStdString();
        EXPECT_TRUE(html.contains(QStringLiteral(".panel")));
        EXPECT_FALSE(html.contains(QStringLiteral("{{"))) << html.toStdString();
    }
}

} // namespace
