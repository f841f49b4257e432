#include <csignal>

#include <gtest/gtest.h>

#include <cstdio>

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWebEngineView>

#include "game/CGameWnd.h"
#include "login/CLoginBkDlg.h"
#include "login/CMyBrowserControlSite.h"
#include "support/TestHttpServer.h"
#include "support/Wait.h"
#include "game/GamePageList.h"

namespace {

constexpr int kTimeoutMs = 15000;

const QByteArray kLoginPage = R"(<!doctype html><html><body style="background:#fefefe">
<a id="enter" href="app://loadgame|http://game.localhost/play?account=abc&server_id=12&t=1">enter</a>
</body></html>)";

// A real login window over a page served from loopback, run modally as start-up does.
class LoginWindowTest : public testing::Test
{
protected:
    void SetUp() override
    {
        GamePageList::Instance().Clear();
        m_server.SetPage(QStringLiteral("/ycj/"), kLoginPage);
    }
    void TearDown() override
    {
        qDeleteAll(QList<CGameWnd *>(GamePageList::Instance().Pages));
        GamePageList::Instance().Clear();
    }

    // Runs the login window; once its page has loaded, `act` runs. Answers the modal result.
    int Run(const std::function<void(CLoginBkDlg &)> &act, const QString &url = {},
            const GamePageFactory &factory = CGameWnd::Factory(PlatformHosts::Defaults()))
    {
        CLoginBkDlg dialog(nullptr, factory, url.isEmpty() ? m_server.Url(QStringLiteral("/ycj/")) : url);
        QObject::connect(&dialog.LoginPage, &CDHtmDlgEx::navigateComplete, &dialog, [&] {
            QTimer::singleShot(200, &dialog, [&] { act(dialog); });
        }, Qt::SingleShotConnection);
        QTimer::singleShot(kTimeoutMs, &dialog, [&] { dialog.done(-1); });
        return dialog.DoModal();
    }

    static void RunScript(CLoginBkDlg &dialog, const QString &script)
    {
        dialog.LoginPage.Page()->runJavaScript(script);
    }

    TestHttpServer m_server;
};

TEST_F(LoginWindowTest, CommandsEndTheWindowWithTheirResults)
{
    EXPECT_EQ(Run([](CLoginBkDlg &d) { RunScript(d, QStringLiteral("location.href = 'app://exitgame/'")); }),
              CLoginDlg::IDCANCEL);

    EXPECT_EQ(Run([](CLoginBkDlg &d) { RunScript(d, QStringLiteral("document.getElementById('enter').click()")); }),
              CLoginDlg::IDOK);
    GamePageList &pages = GamePageList::Instance();
    ASSERT_EQ(pages.Count(), 1);
    ASSERT_NE(pages.Pages.first(), nullptr);
    EXPECT_EQ(pages.Pages.first()->Address(), QStringLiteral("http://game.localhost/play?account=abc&server_id=12&t=1"));
    EXPECT_EQ(pages.Accounts.first(), QStringLiteral("abc"));
    EXPECT_EQ(pages.Servers.first(), QStringLiteral("12"));

    // With a game page open, "minimize" ends the login window instead.
    EXPECT_EQ(Run([](CLoginBkDlg &d) { RunScript(d, QStringLiteral("location.href = 'app://minimize/'")); }),
              CLoginDlg::IDCANCEL);
}

TEST_F(LoginWindowTest, SameAccountOnSameServerIsRefused)
{
    GamePageList::Instance().Append(nullptr, QStringLiteral("abc"), QStringLiteral("12"));
    QString shown;
    // The notice is answered as soon as it is up.
    QTimer answerer;
    QObject::connect(&answerer, &QTimer::timeout, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            shown = box->windowTitle() + QLatin1Char('|') + box->text();
            box->accept();
        }
    });
    answerer.start(20);
    const int result = Run([](CLoginBkDlg &d) { RunScript(d, QStringLiteral("document.getElementById('enter').click()")); });
    answerer.stop();
    EXPECT_EQ(result, CLoginDlg::IDCANCEL);
    EXPECT_EQ(shown, QStringLiteral("岚汐翼川记|账号 abc 已在 12服 登录，同一账号不能在一服重复登录"));
    EXPECT_EQ(GamePageList::Instance().Count(), 1);

    EXPECT_EQ(Run([](CLoginBkDlg &d) {
                  RunScript(d, QStringLiteral("location.href = 'app://loadgame:abc,13|http://game.localhost/'"));
              }),
              CLoginDlg::IDOK);
    EXPECT_EQ(GamePageList::Instance().Count(), 2);
}

TEST_F(LoginWindowTest, WithoutPageFactoryLoadGameEntersNothing)
{
    bool reached = false;
    bool stillOpen = false;
    Run([&](CLoginBkDlg &d) {
        QObject::connect(d.LoginPage.Page(), &HostWebPage::appAddressRequested, &d, [&] {
            reached = true;
            QTimer::singleShot(300, &d, [&] {
                stillOpen = d.isVisible();
                d.done(0);
            });
        });
        RunScript(d, QStringLiteral("document.getElementById('enter').click()"));
    }, {}, {});
    EXPECT_TRUE(reached);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(GamePageList::Instance().Count(), 0);
}

TEST_F(LoginWindowTest, MinimizeHidesPageAndUnknownCommandsDoNothing)
{
    bool pageHidden = false;
    bool stillOpen = false;
    Run([&](CLoginBkDlg &d) {
        EXPECT_FALSE(d.LoginPage.DispatchAppCommand(QStringLiteral("app://nosuch/")));
        RunScript(d, QStringLiteral("location.href = 'app://minimize/'"));
        // Once the command has hidden the page, the login must still be open.
        pageHidden = TestWait::Until([&] { return !d.LoginPage.isVisible(); });
        stillOpen = d.isVisible();
        d.done(0);
    });
    EXPECT_TRUE(pageHidden);
    EXPECT_TRUE(stillOpen);
}

// The running timers of the login page's own QTimers, by interval.
QList<int> RunningPageTimers(CLoginDlg &page)
{
    QList<int> intervals;
    for (const QTimer *timer : page.findChildren<QTimer *>(Qt::FindDirectChildrenOnly)) {
        if (timer->isActive())
            intervals << timer->interval();
    }
    return intervals;
}

TEST_F(LoginWindowTest, ColourKeyCheckRunsOnlyWhileTheWindowIsShown)
{
    QList<int> shown, hidden, shownAgain;
    Run([&](CLoginBkDlg &d) {
        shown = RunningPageTimers(d.LoginPage);
        // Hidden as the main window hides an open login, without ending it.
        d.QWidget::setVisible(false);
        hidden = RunningPageTimers(d.LoginPage);
        d.QWidget::setVisible(true);
        // Shown again, the check first looks often for the page's next frame, then
        // settles back to its pace.
        shownAgain = RunningPageTimers(d.LoginPage);
        EXPECT_EVENTUALLY(RunningPageTimers(d.LoginPage) == QList<int>{250});
        d.done(0);
    });
    EXPECT_EQ(shown, QList<int>{250});
    EXPECT_EQ(hidden, QList<int>{});
    EXPECT_EQ(shownAgain, QList<int>{30});
}

TEST_F(LoginWindowTest, PageKeepsItsPlaceWhenTheWindowMoves)
{
    QRect page;
    QPoint window;
    Run([&](CLoginBkDlg &d) {
        d.move(40, 30);
        QTimer::singleShot(300, &d, [&] {
            page = d.LoginPage.geometry();
            window = d.pos();
            d.done(0);
        });
    });
    EXPECT_EQ(page, QRect(window + QPoint(336, 133), QSize(620, 375)));
}

TEST_F(LoginWindowTest, DeadHostShowsTheProgramsErrorPage)
{
    TestHttpServer dead;
    const QString url = dead.Url(QStringLiteral("/ycj/"));
    dead.close();
    QString title;
    bool shown = false;
    Run([&](CLoginBkDlg &d) {
        title = d.LoginPage.Page()->title();
        shown = d.LoginPage.isVisible();
        RunScript(d, QStringLiteral("document.getElementById('exit').click()"));
    }, url);
    EXPECT_EQ(title, QStringLiteral("网络连接失败"));
    EXPECT_TRUE(shown);
}

TEST_F(LoginWindowTest, CrashedRendererShowsTheErrorPageWithReconnect)
{
    QString title;
    QString retry;
    bool killed = false;
    const int result = Run([&](CLoginBkDlg &d) {
        QObject::connect(&d.LoginPage, &CDHtmDlgEx::navigateComplete, &d, [&] {
            title = d.LoginPage.Page()->title();
            d.LoginPage.Page()->runJavaScript(QStringLiteral("var r = document.getElementById('retry');"
                                                             "r ? r.textContent + '|' + r.getAttribute('href') : ''"),
                                              [&](const QVariant &text) {
                                                  retry = text.toString();
                                                  d.done(0);
                                              });
        });
        killed = ::kill(static_cast<pid_t>(d.LoginPage.Page()->renderProcessPid()), SIGSEGV) == 0;
    });
    ASSERT_TRUE(killed);
    // The window survived the renderer and closed itself after reading the error page.
    EXPECT_EQ(result, 0);
    EXPECT_EQ(title, QStringLiteral("网络连接失败"));
    EXPECT_EQ(retry, QStringLiteral("重新连接|") + m_server.Url(QStringLiteral("/ycj/")));
}

// The login window shown without running it modally, over `path` of the test server.
class LoginWindowArrival : public LoginWindowTest
{
protected:
    void Show(const QString &path)
    {
        m_dialog = std::make_unique<CLoginBkDlg>(nullptr, GamePageFactory{}, m_server.Url(path));
        QObject::connect(&m_dialog->LoginPage, &CDHtmDlgEx::navigateComplete, [this] { m_completed = true; });
        m_clock.start();
        m_dialog->show();
    }
    bool PageShown() const { return m_dialog->LoginPage.isVisible(); }

    std::unique_ptr<CLoginBkDlg> m_dialog;
    QElapsedTimer m_clock;
    bool m_completed{false};
};

constexpr int kSlowMs = 4000;

TEST_F(LoginWindowArrival, ShowsOnceTheDocumentArrivedWhileAnImageStillLoads)
{
    TestHttpServer::Response slow;
    slow.contentType = "image/png";
    slow.delayMs = kSlowMs;
    m_server.SetResponse(QStringLiteral("/slow.png"), slow);
    m_server.SetPage(QStringLiteral("/images/"), R"(<!doctype html><html><body><img src="/slow.png"></body></html>)");
    Show(QStringLiteral("/images/"));
    ASSERT_EVENTUALLY(PageShown(), kSlowMs - 500);
    EXPECT_FALSE(m_completed);
    std::printf("login page shown %lld ms after the start; its image needs %d ms\n",
                static_cast<long long>(m_clock.elapsed()), kSlowMs);
    ASSERT_EVENTUALLY(m_completed, kSlowMs + 3000);
}

TEST_F(LoginWindowArrival, ShowsAfterAFirstLoadThatWasStopped)
{
    TestHttpServer::Response late;
    late.body = "<html><body>late</body></html>";
    late.delayMs = kSlowMs;
    m_server.SetResponse(QStringLiteral("/late/"), late);
    Show(QStringLiteral("/late/"));
    ASSERT_EVENTUALLY(m_server.Hits(QStringLiteral("/late/")) == 1);
    EXPECT_FALSE(PageShown());
    m_dialog->LoginPage.Page()->triggerAction(QWebEnginePage::Stop);
    ASSERT_EVENTUALLY(PageShown(), kSlowMs - 1000);
}

TEST_F(LoginWindowArrival, ShowsAfterAFirstLoadRedirectedToACommand)
{
    m_server.SetRedirect(QStringLiteral("/moved/"), "app://nosuch/");
    Show(QStringLiteral("/moved/"));
    ASSERT_EVENTUALLY(PageShown());
    EXPECT_TRUE(m_dialog->isVisible());
}

TEST_F(LoginWindowArrival, PagesTheServerSentWithAnErrorStatusStayAsSent)
{
    for (const QByteArray &status : {QByteArray("404 Not Found"), QByteArray("500 Internal Server Error")}) {
        TestHttpServer::Response error;
        error.status = status;
        error.body = "<html><head><title>" + status + "</title></head><body>" + status + "</body></html>";
        m_server.SetResponse(QStringLiteral("/error/"), error);
        m_completed = false;
        Show(QStringLiteral("/error/"));
        ASSERT_EVENTUALLY(m_completed);
        EXPECT_TRUE(PageShown());
        EXPECT_EQ(m_dialog->LoginPage.Page()->title(), QString::fromLatin1(status));
    }
}

} // namespace
