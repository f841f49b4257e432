#include <gtest/gtest.h>

#include <QWebEngineView>

#include "login/CLoginDlg.h"
#include "login/CMyBrowserControlSite.h"
#include "support/InterceptionCases.h"
#include "support/RealInput.h"
#include "support/TestHttpServer.h"
#include "support/Wait.h"
#include "web/AppAddressMatcher.h"

namespace {

using namespace RealInput;

// The engine's own URL of this address keeps "%41" as "A": only the page's text keeps it.
const QString kAddress = QStringLiteral("app://loadgame|http://g.localhost/play?account=%41bc&server_id=12");
constexpr int kReachTimeoutMs = 10000;
// Long enough for a second report of the same navigation to have come.
constexpr int kSecondReportMs = AppAddressMatcher::kGraceMs + 1200;

// A login page window that records what reaches its app:// hook instead of running it.
class RecordingLoginDlg : public CLoginDlg
{
public:
    using CLoginDlg::CLoginDlg;
    QStringList reached;

protected:
    void OnBeforeNavigate(const QString &address) override { reached << address; }
};

// The real login page window over each case's page, served from loopback.
class LoginPageInterception : public testing::TestWithParam<InterceptionCase>
{
protected:
    static void SetUpTestSuite()
    {
        server = new TestHttpServer;
        ServeInterceptionCases(*server, kAddress);
    }
    static void TearDownTestSuite() { delete server; }

    static inline TestHttpServer *server = nullptr;
};

TEST_P(LoginPageInterception, ReachesTheLoginPageExactlyOnceAndThePageStays)
{
    const InterceptionCase &c = GetParam();
    RecordingLoginDlg dlg(server->Url(c.Path()), {});
    dlg.setGeometry(100, 100, 620, 375);
    dlg.Create();
    ASSERT_EVENTUALLY(dlg.isVisible());
    if (c.realClick) {
        ASSERT_EVENTUALLY(server->Hits(QStringLiteral("/frame/top")) == 1);
        TestWait::ProcessFor(500);
        ASSERT_TRUE(ClickElement(dlg.View(), dlg.Page(), QStringLiteral("frame")));
    }
    ASSERT_EVENTUALLY(!dlg.reached.isEmpty(), kReachTimeoutMs);
    TestWait::ProcessFor(kSecondReportMs);
    EXPECT_EQ(dlg.reached, QStringList{c.Expected(kAddress)});
    EXPECT_EQ(dlg.Page()->url(), QUrl(server->Url(c.Path())));
    EXPECT_EQ(Eval(dlg.Page(), QStringLiteral("window.stayed === true")), QVariant(true));
}

INSTANTIATE_TEST_SUITE_P(EveryWay, LoginPageInterception, testing::ValuesIn(InterceptionCases()),
                         [](const auto &test) { return CaseName(test.param); });

const QByteArray kForgingPage = R"(<!doctype html><html><body>
<iframe src="{{OTHER}}/forge"></iframe>
<script>window.postMessage({__fenlowAppAddress: 'app://exitgame/'}, '*');</script>
</body></html>)";
const QByteArray kForgingFrame = R"(<!doctype html><html><body><script>
top.postMessage({__fenlowAppAddress: 'app://restart/'}, '*');
setTimeout(() => { location.href = 'app://minimize/'; }, 500);
</script></body></html>)";

TEST(LoginPageCommandSource, OnlyWhatAFrameReallyNavigatedToRuns)
{
    TestHttpServer server;
    server.SetPage(QStringLiteral("/page"), QByteArray(kForgingPage).replace("{{OTHER}}", server.OtherOriginUrl({}).toUtf8()));
    server.SetPage(QStringLiteral("/forge"), kForgingFrame);
    RecordingLoginDlg dlg(server.Url(QStringLiteral("/page")), {});
    dlg.Create();
    ASSERT_EVENTUALLY(!dlg.reached.isEmpty(), kReachTimeoutMs);
    TestWait::ProcessFor(kSecondReportMs);
    // The messages claiming "exitgame" and "restart" came with no navigation.
    EXPECT_EQ(dlg.reached, QStringList{QStringLiteral("app://minimize/")});
    // The page's own scripts reach neither the channel nor the program's script world.
    EXPECT_EQ(Eval(dlg.Page(), QStringLiteral("typeof qt + ',' + typeof window.__fenlowHostBridge")),
              QVariant(QStringLiteral("undefined,undefined")));
}

} // namespace
