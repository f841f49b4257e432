#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QTemporaryDir>
#include <QWebEngineView>

#include "game/CGameWnd.h"
#include "game/GameTestSupport.h"
#include "skin/MessageBoxLayout.h"
#include "support/InterceptionCases.h"
#include "support/RealInput.h"
#include "support/TestHttpServer.h"
#include "support/Wait.h"
#include "web/AppAddressMatcher.h"
#include "web/HostWebPage.h"

namespace {

using namespace GameTestSupport;
using namespace RealInput;

// A launcher that is not installed: the game page offers it and opens its page in the
// browser. The engine's own URL of this address keeps "%41" as "A".
const QString kAddress = QStringLiteral("app://entergame|zzz|http://www.qovan.localhost/qvzzz/?from=%41");
constexpr int kReachTimeoutMs = 10000;
// Long enough for a second report of the same navigation to have come.
constexpr int kSecondReportMs = AppAddressMatcher::kGraceMs + 1200;

// A real game page host over each case's page, served from loopback.
class GamePageInterception : public testing::TestWithParam<InterceptionCase>
{
protected:
    static void SetUpTestSuite()
    {
        home = new QTemporaryDir;
        for (const char *name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME"})
            qputenv(name, home->path().toUtf8());
        server = new TestHttpServer;
        ServeInterceptionCases(*server, kAddress);
    }
    static void TearDownTestSuite()
    {
        delete server;
        delete home;
    }
    void SetUp() override { QDesktopServices::setUrlHandler(QStringLiteral("http"), &browser, "open"); }
    void TearDown() override { QDesktopServices::unsetUrlHandler(QStringLiteral("http")); }

    static inline QTemporaryDir *home = nullptr;
    static inline TestHttpServer *server = nullptr;
    BrowserSink browser;
};

TEST_P(GamePageInterception, ReachesTheGamePageExactlyOnceAndThePageStays)
{
    const InterceptionCase &c = GetParam();
    const QString expected = c.Expected(kAddress);
    MessageBoxAnswerer offer(IDCANCEL);
    QWidget owner;
    owner.setGeometry(100, 100, 640, 400);
    owner.show();
    CGameWnd page(server->Url(c.Path()), PlatformHosts::Defaults());
    page.Create(&owner);
    page.setGeometry(owner.geometry());
    page.show();
    auto *web = qobject_cast<HostWebPage *>(page.View()->page());
    ASSERT_NE(web, nullptr);
    QStringList reached;
    QObject::connect(web, &HostWebPage::appAddressRequested, [&](const QString &address) { reached << address; });
    if (c.realClick) {
        ASSERT_EVENTUALLY(server->Hits(QStringLiteral("/frame/top")) == 1);
        TestWait::ProcessFor(500);
        ASSERT_TRUE(ClickElement(page.View(), web, QStringLiteral("frame")));
    }
    ASSERT_EVENTUALLY(!reached.isEmpty(), kReachTimeoutMs);
    TestWait::ProcessFor(kSecondReportMs);
    EXPECT_EQ(reached, QStringList{expected});
    // The host acted on it once: the launcher was offered and, declined, its page opened.
    EXPECT_EQ(offer.texts.size(), 1);
    EXPECT_EQ(browser.opened, QStringList{QUrl(expected.section(QLatin1Char('|'), 2)).toString()});
    EXPECT_EQ(web->url(), QUrl(server->Url(c.Path())));
    EXPECT_EQ(Eval(web, QStringLiteral("window.stayed === true")), QVariant(true));
}

INSTANTIATE_TEST_SUITE_P(EveryWay, GamePageInterception, testing::ValuesIn(InterceptionCases()),
                         [](const auto &test) { return CaseName(test.param); });

} // namespace
