#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>
#include <QTimer>
#include <QWebEngineView>

#include "base/PlatformHosts.h"
#include "game/CGameWnd.h"
#include "login/CLoginBkDlg.h"
#include "login/CMyBrowserControlSite.h"
#include "login/PixelRegion.h"
#include "support/RealInput.h"
#include "support/Wait.h"
#include "game/GamePageList.h"

namespace {

using namespace RealInput;

constexpr int kTimeoutMs = 30000;
// Time for the page window's first colour-key check after the page has loaded.
constexpr int kShapeSettleMs = 1200;

// The demo platform's applications host, as this build's Platform.ini names it.
QString AppsOrigin()
{
    return PlatformHosts::Installed().apps;
}

// The login window over the demo platform's real login page, with real pointer and key
// input; the demo platform must be running.
class LoginDemoTest : public testing::Test
{
protected:
    void SetUp() override
    {
        // Only the demo platform scripts/test started for this run is spoken to.
        ASSERT_FALSE(qEnvironmentVariableIsEmpty("FENLOW_DEMO_PORT"))
            << "start the tests with scripts/test, which starts the demo platform";
        GamePageList::Instance().Clear();
    }
    void TearDown() override
    {
        qDeleteAll(QList<CGameWnd *>(GamePageList::Instance().Pages));
        GamePageList::Instance().Clear();
    }

    // Runs the login window modally; once its page has loaded and settled, `act` runs.
    int Run(const std::function<void(CLoginBkDlg &)> &act)
    {
        CLoginBkDlg dialog(nullptr, CGameWnd::Factory(PlatformHosts::Installed()),
                           AppsOrigin() + QStringLiteral("/ycj/"));
        dialog.move(20, 20);
        QObject::connect(&dialog.LoginPage, &CDHtmDlgEx::navigateComplete, &dialog, [&] {
            QTimer::singleShot(kShapeSettleMs, &dialog, [&] { act(dialog); });
        }, Qt::SingleShotConnection);
        QTimer::singleShot(kTimeoutMs, &dialog, [&] { dialog.done(-1); });
        return dialog.DoModal();
    }

    static bool Click(CLoginBkDlg &d, const QString &id)
    {
        return ClickElement(d.LoginPage.View(), d.LoginPage.Page(), id);
    }
};

TEST_F(LoginDemoTest, KeyColourShowsThePictureThroughOnTheDisplay)
{
    QString shape;
    QRegion kept;
    Run([&](CLoginBkDlg &d) {
        kept = RegionWithoutKey(d.LoginPage.View()->grab().toImage(), CLoginDlg::kColorKey);
        QProcess xwininfo;
        xwininfo.start(QStringLiteral("xwininfo"), {QStringLiteral("-shape"), QStringLiteral("-id"),
                                                    QString::number(d.LoginPage.winId())});
        xwininfo.waitForFinished();
        shape = QString::fromLocal8Bit(xwininfo.readAllStandardOutput());
        d.done(0);
    });
    // The demo page is key colour around its panel: the shape is the panel alone.
    const QRegularExpression extents(QStringLiteral("Window shape extents:\\s+(\\d+)x(\\d+)\\+(\\d+)\\+(\\d+)"));
    const QRegularExpressionMatch match = extents.match(shape);
    ASSERT_TRUE(match.hasMatch()) << qPrintable(shape);
    const QRect onDisplay(match.captured(3).toInt(), match.captured(4).toInt(), match.captured(1).toInt(),
                          match.captured(2).toInt());
    EXPECT_EQ(onDisplay, kept.boundingRect());
    EXPECT_GT(onDisplay.left(), 0);
    EXPECT_LT(onDisplay.right(), CLoginBkDlg::kPageRect.width() - 1);
}

TEST_F(LoginDemoTest, EscAndF5InsideThePageDoNothing)
{
    bool stillShown = false;
    QVariant marker;
    const int result = Run([&](CLoginBkDlg &d) {
        ASSERT_TRUE(Click(d, QStringLiteral("account")));
        Eval(d.LoginPage.Page(), QStringLiteral("window.kept = 7"));
        Xdo({QStringLiteral("key"), QStringLiteral("Escape")});
        Xdo({QStringLiteral("key"), QStringLiteral("F5")}, 1500);
        stillShown = d.isVisible() && d.LoginPage.isVisible();
        marker = Eval(d.LoginPage.Page(), QStringLiteral("window.kept"));
        d.done(0);
    });
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(stillShown);
    EXPECT_EQ(marker.toInt(), 7);
}

TEST_F(LoginDemoTest, EnterGameAppendsTheChosenAccountAndServer)
{
    EXPECT_EQ(Run([](CLoginBkDlg &d) {
                  Click(d, QStringLiteral("account-4"));
                  Click(d, QStringLiteral("server-8"));
                  Click(d, QStringLiteral("enter-game"));
              }),
              CLoginDlg::IDOK);
    GamePageList &pages = GamePageList::Instance();
    ASSERT_EQ(pages.Count(), 1);
    EXPECT_EQ(pages.Accounts.at(0), QStringLiteral("玩家乙"));
    EXPECT_EQ(pages.Servers.at(0), QStringLiteral("8"));

    // The argument form names account and server before the "|".
    EXPECT_EQ(Run([](CLoginBkDlg &d) {
                  Click(d, QStringLiteral("account-2"));
                  Click(d, QStringLiteral("server-3"));
                  Click(d, QStringLiteral("enter-link"));
              }),
              CLoginDlg::IDOK);
    ASSERT_EQ(pages.Count(), 2);
    EXPECT_EQ(pages.Accounts.at(1), QStringLiteral("测试账号"));
    EXPECT_EQ(pages.Servers.at(1), QStringLiteral("3"));
}

TEST_F(LoginDemoTest, ExitAndMinimiseButtons)
{
    EXPECT_EQ(Run([](CLoginBkDlg &d) { Click(d, QStringLiteral("btn-exit")); }), CLoginDlg::IDCANCEL);

    bool minimised = false;
    bool pageHidden = false;
    Run([&](CLoginBkDlg &d) {
        Click(d, QStringLiteral("btn-minimize"));
        minimised = TestWait::Until([&] { return d.isMinimized(); });
        pageHidden = !d.LoginPage.isVisible();
        d.done(0);
    });
    EXPECT_TRUE(minimised);
    EXPECT_TRUE(pageHidden);
    EXPECT_EQ(GamePageList::Instance().Count(), 0);
}

} // namespace
