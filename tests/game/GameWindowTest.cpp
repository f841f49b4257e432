#include <csignal>

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QKeyEvent>
#include <QProcess>
#include <QScreen>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>
#include <QWebEngineView>

#include <gtest/gtest.h>

#include "base/InstanceChannel.h"
#include "base/StartMode.h"
#include "game/CCaptTab.h"
#include "game/CFenlowDlg.h"
#include "game/CGameWnd.h"
#include "game/GameLayout.h"
#include "game/GameTestSupport.h"
#include "skin/CBtnEx.h"
#include "skin/SkinGeometry.h"
#include "skin/MessageBoxLayout.h"
#include "support/EventCount.h"
#include "support/TestHttpServer.h"
#include "support/Wait.h"
#include "support/X11TestClient.h"
#include "game/GamePageList.h"

using namespace GameTestSupport;

namespace {

QByteArray GamePage(int n)
{
    return QByteArray(R"(<!doctype html><html><head><meta charset="utf-8"><title>岚汐翼川记- 主城)")
        + QByteArray::number(n) + R"(</title></head><body>
<a id="ycj" href="app://entergame|ycj">ycj</a>
<a id="missing" href="app://entergame|zzz|http://www.qovan.localhost/qvzzz/">zzz</a>
<a id="portal" href="app://entergame|zzz">zzz</a>
<script>window.keys = []; document.addEventListener('keydown', e => keys.push(e.key));</script>
</body></html>)";
}

// Records the keys whose release the application delivered, from anywhere.
class KeyReleases : public QObject
{
public:
    KeyReleases() { qApp->installEventFilter(this); }
    QList<int> keys;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::KeyRelease)
            keys << static_cast<QKeyEvent *>(event)->key();
        return false;
    }
};

class GameWindowTest : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        home = GameTestSupport::NewPrivateHome();
        qunsetenv("XDG_RUNTIME_DIR");
        server = new TestHttpServer;
        for (int n = 1; n <= 3; ++n)
            server->SetPage("/game/" + QString::number(n), GamePage(n));
    }

    void SetUp() override { QDesktopServices::setUrlHandler("http", &browser, "open"); }
    void TearDown() override
    {
        QDesktopServices::unsetUrlHandler("http");
        GamePageList::Instance().Clear();
    }

    // Enters game n as the login page does.
    CGameWnd *Enter(int n)
    {
        auto *page = new CGameWnd(server->Url("/game/" + QString::number(n)), hosts);
        GamePageList::Instance().Append(page, QStringLiteral("acc%1").arg(n), QString::number(n));
        return page;
    }

    static bool ShowsOnly(CGameWnd *shown)
    {
        for (CGameWnd *page : GamePageList::Instance().Pages) {
            if (page->isVisible() != (page == shown))
                return false;
        }
        return true;
    }

    static QVariant Script(CGameWnd *page, const QString &source)
    {
        return GameTestSupport::RunScript(page->View()->page(), source);
    }

    static inline QTemporaryDir *home = nullptr;
    static inline TestHttpServer *server = nullptr;
    BrowserSink browser;
    PlatformHosts hosts = PlatformHosts::Defaults();
};

TEST_F(GameWindowTest, TabsGrowWithEachPageAndKeepTheLayout)
{
    CGameWnd *first = Enter(1);
    CFenlowDlg dlg(hosts);
    dlg.show();
    CCaptTab *tabs = dlg.Tabs();
    ASSERT_EQ(TabStrip(), tabs);
    ASSERT_EVENTUALLY(first->isVisible());
    EXPECT_EQ(tabs->geometry(), QRect(120, 2, 199, 22));
    EXPECT_EQ(dlg.minimumSize(), QSize(646, 260));
    EXPECT_EQ(first->geometry(), GameLayout::PageRect(dlg.frameGeometry()));
    for (int id : GameLayout::kButtonIds)
        EXPECT_EQ(dlg.Button(id)->geometry(), GameLayout::ButtonRect(id, dlg.width())) << id;
    ASSERT_EVENTUALLY(tabs->GetItemText(0) == "1服-主城1-acc1");
    EXPECT_EQ(GamePageList::Instance().RawTitles.value(0), "岚汐翼川记- 主城1");
    // The address is stored when the load finishes, which may come after the title.
    EXPECT_EVENTUALLY(GamePageList::Instance().Urls.value(0) == server->Url("/game/1"));

    CGameWnd *second = Enter(2);
    tabs->ShowNewestPage();
    EXPECT_EQ(tabs->geometry().width(), 388);
    EXPECT_EQ(dlg.minimumSize().width(), 835);
    EXPECT_FALSE(first->isVisible());
    ASSERT_EVENTUALLY(second->isVisible());
    CGameWnd *third = Enter(3);
    tabs->ShowNewestPage();
    EXPECT_EQ(tabs->geometry().width(), 577);
    EXPECT_EQ(dlg.minimumSize().width(), 1024);
    ASSERT_EVENTUALLY(ShowsOnly(third));

    // A narrower window keeps the buttons at their distances from the right edge and the
    // pages over the client area.
    dlg.resize(1100, 600);
    ASSERT_EVENTUALLY(dlg.width() == 1100);
    EXPECT_EQ(dlg.Button(GameLayout::kServiceButton)->geometry().x(), 1100 - 361);
    EXPECT_EQ(third->geometry(), GameLayout::PageRect(dlg.frameGeometry()));
}

TEST_F(GameWindowTest, SwitchingAndClosingKeepTabsAndListsAligned)
{
    CGameWnd *pages[] = {Enter(1), nullptr, nullptr};
    CFenlowDlg dlg(hosts);
    dlg.show();
    CCaptTab *tabs = dlg.Tabs();
    for (int n = 2; n <= 3; ++n) {
        pages[n - 1] = Enter(n);
        tabs->ShowNewestPage();
    }
    ASSERT_TRUE(TestWait::Until([&] {
        const QStringList &captions = GamePageList::Instance().Captions;
        return captions.size() == 3 && !captions.contains(QString());
    })) << GamePageList::Instance().Captions.join('|').toStdString() << GamePageList::Instance().RawTitles.join('|').toStdString();

    std::vector<int> order{tabs->GetCurSel()};
    for (int i = 0; i < 4; ++i) {
        tabs->SwitchToNextPage();
        order.push_back(tabs->GetCurSel());
        EXPECT_TRUE(ShowsOnly(pages[tabs->GetCurSel()]));
    }
    EXPECT_EQ(order, (std::vector<int>{2, 0, 1, 2, 0}));

    // The middle one of three: the third moves to index 1 everywhere.
    tabs->ClosePage(1);
    const GamePageList &list = GamePageList::Instance();
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Pages.at(1), pages[2]);
    EXPECT_EQ(list.Accounts.at(1), "acc3");
    EXPECT_EQ(list.Captions.at(1), "3服-主城3-acc3");
    EXPECT_EQ(tabs->PageAt(1), pages[2]);
    EXPECT_EQ(tabs->GetItemText(1), "3服-主城3-acc3");
    EXPECT_EQ(tabs->GetCurSel(), 0);
    EXPECT_EQ(dlg.minimumSize().width(), 835);

    // The selected one of two: the other is shown before the closed one goes.
    tabs->SwitchToNextPage();
    ASSERT_EQ(tabs->CurrentPage(), pages[2]);
    bool otherShownFirst = false;
    QObject::connect(pages[2], &QObject::destroyed, [&] { otherShownFirst = pages[0]->isVisible(); });
    tabs->ClosePage(1);
    EXPECT_TRUE(otherShownFirst);
    EXPECT_EQ(tabs->GetItemCount(), 1);
    EXPECT_EQ(tabs->CurrentPage(), pages[0]);
    EXPECT_EQ(list.Captions, QStringList{"1服-主城1-acc1"});

    // An index past the end changes nothing; a title for a page that left the list neither.
    tabs->ClosePage(5);
    CGameWnd stranger(server->Url("/game/3"), hosts);
    stranger.OnTitleChange("岚汐翼川记- 外人");
    tabs->SetPageTitle(&stranger, "外人");
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Titles, QStringList{"主城1"});

    // The only one: the question names the caption, and Yes ends the program.
    MessageBoxAnswerer yes(IDYES);
    QTimer::singleShot(0, tabs, [tabs] { tabs->ConfirmClosePage(0); });
    QTimer guard;
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    guard.start(15000);
    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_EQ(yes.texts, QStringList{"确定要退出账号：1服-主城1-acc1 ?"});
    EXPECT_EQ(yes.titles, QStringList{"岚汐翼川记"});
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(tabs->GetItemCount(), 0);
}

TEST_F(GameWindowTest, TitlesThatShowTheAddressKeepTheCaption)
{
    CGameWnd *page = Enter(1);
    CFenlowDlg dlg(hosts);
    dlg.show();
    ASSERT_EVENTUALLY(dlg.Tabs()->GetItemText(0) == "1服-主城1-acc1");
    Script(page, "document.title = location.href");
    ASSERT_EVENTUALLY(GamePageList::Instance().RawTitles.value(0).startsWith("http"));
    EXPECT_EQ(dlg.Tabs()->GetItemText(0), "1服-主城1-acc1");
    Script(page, "document.title = '新标题'");
    ASSERT_EVENTUALLY(dlg.Tabs()->GetItemText(0) == "1服-新标题-acc1");
}

TEST_F(GameWindowTest, AKilledRendererLeavesItsTabsOwnErrorPageUntilThePlayerReloads)
{
    const auto kill = [](CGameWnd *page) {
        return ::kill(static_cast<pid_t>(page->View()->page()->renderProcessPid()), SIGKILL) == 0;
    };
    const auto title = [](CGameWnd *page) { return page->View()->page()->title(); };
    CFenlowDlg dlg(hosts);
    dlg.show();
    QList<CGameWnd *> pages;
    for (int n = 1; n <= 3; ++n) {
        pages << Enter(n);
        dlg.Tabs()->ShowNewestPage();
        ASSERT_EVENTUALLY(title(pages.last()) == "岚汐翼川记- 主城" + QString::number(n));
    }
    ASSERT_NE(pages[0]->View()->page()->renderProcessPid(), pages[1]->View()->page()->renderProcessPid());
    const int hits = server->Hits("/game/1");
    const int otherHits = server->Hits("/game/2") + server->Hits("/game/3");

    // Killed while its tab is hidden: the error page waits there, the other tabs play on.
    ASSERT_TRUE(kill(pages[0]));
    ASSERT_EVENTUALLY(title(pages[0]) == "游戏页面已停止运行");
    EXPECT_EQ(Script(pages[0], "document.activeElement.id + '|' + document.activeElement.textContent"
                               " + '|' + document.activeElement.getAttribute('href')").toString(),
              "retry|重新加载|" + server->Url("/game/1"));
    EXPECT_EQ(Script(pages[1], "typeof keys").toString(), "object");
    EXPECT_EQ(Script(pages[2], "typeof keys").toString(), "object");
    EXPECT_TRUE(pages[2]->isVisible());
    EXPECT_FALSE(pages[0]->isVisible());

    // Chosen, its page comes up; Enter loads the game again.
    dlg.Tabs()->SwitchToNextPage();
    ASSERT_EVENTUALLY(ShowsOnly(pages[0]));
    ASSERT_EVENTUALLY(QApplication::focusWidget() == pages[0] || QApplication::focusWidget() == pages[0]->View()->focusProxy());
    TestWait::ProcessFor(300);
    ASSERT_TRUE(Xdotool({"key", "Return"}));
    ASSERT_EVENTUALLY(server->Hits("/game/1") == hits + 1);
    ASSERT_EVENTUALLY(title(pages[0]) == "岚汐翼川记- 主城1");

    // Killed again at once: the error page again, and no reload without the player.
    ASSERT_TRUE(kill(pages[0]));
    ASSERT_EVENTUALLY(title(pages[0]) == "游戏页面已停止运行");
    TestWait::ProcessFor(2000);
    EXPECT_EQ(server->Hits("/game/1"), hits + 1);
    EXPECT_EQ(title(pages[0]), "游戏页面已停止运行");
    EXPECT_EQ(GamePageList::Instance().Urls.value(0), server->Url("/game/1"));

    // The other two killed at once while the main window is minimised: each tab gets its
    // own error page, and only the chosen one comes up with the window.
    dlg.showMinimized();
    ASSERT_EVENTUALLY(!pages[0]->isVisible());
    ASSERT_TRUE(kill(pages[1]) && kill(pages[2]));
    ASSERT_EVENTUALLY(title(pages[1]) == "游戏页面已停止运行" && title(pages[2]) == "游戏页面已停止运行");
    EXPECT_FALSE(pages[1]->isVisible() || pages[2]->isVisible());
    dlg.showNormal();
    ASSERT_EVENTUALLY(ShowsOnly(pages[0]));
    EXPECT_EQ(server->Hits("/game/2") + server->Hits("/game/3"), otherHits);

    // Its leave link closes the tab as the cross does, asking first; the tab's caption
    // already says that its page stopped.
    MessageBoxAnswerer yes(IDYES);
    Script(pages[0], "document.getElementById('leave').click()");
    ASSERT_EVENTUALLY(GamePageList::Instance().Count() == 2);
    EXPECT_EQ(yes.texts, QStringList{"确定要退出账号：1服-游戏页面已停止运行-acc1 ?"});
    EXPECT_EQ(dlg.Tabs()->GetItemCount(), 2);
}

TEST_F(GameWindowTest, AGameServerRefusingTheReloadGivesTheConnectionErrorPageWithoutLoop)
{
    auto *game = new TestHttpServer;
    game->SetPage("/game/1", GamePage(1));
    auto *page = new CGameWnd(game->Url("/game/1"), hosts);
    GamePageList::Instance().Append(page, QStringLiteral("acc1"), QStringLiteral("1"));
    CFenlowDlg dlg(hosts);
    dlg.show();
    ASSERT_EVENTUALLY(page->View() && page->View()->page()->title() == "岚汐翼川记- 主城1");
    const QString address = game->Url("/game/1");
    delete game;
    page->Refresh();
    ASSERT_EVENTUALLY(page->View()->page()->title() == "无法连接到游戏服务器");
    EXPECT_EQ(Script(page, "document.getElementById('retry').getAttribute('href')").toString(), address);
    // Reloading against the closed port fails once more and stays on the error page.
    int loads = 0;
    QObject::connect(page->View()->page(), &QWebEnginePage::loadFinished, [&loads] { ++loads; });
    Script(page, "document.getElementById('retry').click()");
    // The failed load, then the error page.
    ASSERT_EVENTUALLY(loads == 2);
    TestWait::ProcessFor(2000);
    EXPECT_EQ(loads, 2);
    EXPECT_EQ(page->View()->page()->title(), "无法连接到游戏服务器");
}

TEST_F(GameWindowTest, KeysReachThePageAndNeverCloseAWindow)
{
    CGameWnd *first = Enter(1);
    CFenlowDlg dlg(hosts);
    dlg.show();
    ASSERT_EVENTUALLY(first->isVisible());
    CGameWnd *second = Enter(2);
    dlg.Tabs()->ShowNewestPage();
    ASSERT_EVENTUALLY(second->isVisible());
    // Keys pressed before the page's script listens would be lost.
    ASSERT_EVENTUALLY(Script(second, "typeof keys").toString() == "object");
    const int firstHits = server->Hits("/game/1");
    const int secondHits = server->Hits("/game/2");

    // Enter on the page window itself moves the focus into the content and reaches it.
    second->activateWindow();
    second->setFocus();
    ASSERT_EVENTUALLY(QApplication::focusWidget() == second);
    ASSERT_TRUE(Xdotool({"key", "Return"}));
    ASSERT_EVENTUALLY(Script(second, "keys.join(',')").toString() == "Enter");
    EXPECT_EQ(QApplication::focusWidget(), second->View()->focusProxy());

    // F5 reloads only the page that has the focus.
    ASSERT_TRUE(Xdotool({"key", "F5"}));
    ASSERT_EVENTUALLY(server->Hits("/game/2") == secondHits + 1);
    EXPECT_EQ(server->Hits("/game/1"), firstHits);

    // Escape and Enter in the main window do nothing: no question, no closing.
    MessageBoxAnswerer no(IDNO);
    dlg.activateWindow();
    ASSERT_EVENTUALLY(QApplication::activeWindow() == &dlg);
    KeyReleases released;
    ASSERT_TRUE(Xdotool({"key", "Escape", "Return"}));
    // Both keys were handled (their releases follow the presses' handling).
    ASSERT_EVENTUALLY(released.keys.contains(Qt::Key_Escape) && released.keys.contains(Qt::Key_Return));
    EXPECT_TRUE(no.texts.isEmpty());
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_TRUE(first->HasWindow());
}

TEST_F(GameWindowTest, PagesRefuseCloseRequestsAndEscape)
{
    CGameWnd *page = Enter(1);
    CFenlowDlg dlg(hosts);
    dlg.show();
    ASSERT_EVENTUALLY(page->isVisible());

    // The close request reaches the page's window, which refuses it.
    EventCount closeRequests(page, QEvent::Close);
    ASSERT_TRUE(RequestCloseByWindowManager(page));
    ASSERT_EVENTUALLY(closeRequests.count == 1);
    TestWait::ProcessFor(50);
    EXPECT_TRUE(page->isVisible());
    EXPECT_TRUE(page->HasWindow());

    page->FocusContent();
    ASSERT_EVENTUALLY(QApplication::focusWidget() == page->View()->focusProxy());
    KeyReleases released;
    ASSERT_TRUE(Xdotool({"key", "Escape"}));
    ASSERT_EVENTUALLY(released.keys.contains(Qt::Key_Escape));
    EXPECT_TRUE(page->isVisible());
    EXPECT_EQ(GamePageList::Instance().Count(), 1);
}

TEST_F(GameWindowTest, PageLoadedWhileMinimisedShowsOnlyWithTheWindow)
{
    CFenlowDlg dlg(hosts);
    dlg.show();
    ASSERT_EVENTUALLY(dlg.isVisible() && dlg.windowHandle()->isExposed());
    // Minimised alone, as the caption button asks: a window manager that counts the
    // full-size window as maximised would take showMinimized()'s maximise along as a restore.
    dlg.setWindowState(Qt::WindowMinimized);
    ASSERT_EVENTUALLY(dlg.isMinimized());
    CGameWnd *page = Enter(1);
    dlg.Tabs()->ShowNewestPage();
    // The load completes (its address is stored), and the page stays out of sight.
    ASSERT_EVENTUALLY(GamePageList::Instance().Urls.value(0) == server->Url("/game/1"));
    TestWait::ProcessFor(50);
    EXPECT_FALSE(page->isVisible());
    dlg.showNormal();
    EXPECT_EVENTUALLY(page->isVisible());
}

// What the X server holds for property `name` of `window`, as xprop prints it.
QString WindowProperty(QWidget *window, const char *name)
{
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(window->winId()), QString::fromLatin1(name)});
    xprop.waitForFinished();
    return QString::fromUtf8(xprop.readAllStandardOutput());
}

std::string Describe(const QRect &rect)
{
    return QStringLiteral("%1,%2 %3x%4").arg(rect.x()).arg(rect.y()).arg(rect.width()).arg(rect.height()).toStdString();
}

CBtnEx *CaptionButton(CFenlowDlg &dlg, int id)
{
    for (CBtnEx *button : dlg.findChildren<CBtnEx *>()) {
        if (button->GetDlgCtrlID() == id)
            return button;
    }
    return nullptr;
}

// Presses the caption's minimise button, up to `presses` times; true when the window manager
// iconified the window. mutter drops an iconify that comes while it still maps a window
// (measured: within about a second of the mapping): the window asks again until it holds,
// and the page that just came up must not take the keyboard afterwards, which would make
// mutter restore it. In a process where an earlier main window was destroyed, mutter at
// times ignores every request for over five seconds, as yet unexplained (about 1 run of the
// whole suite in 12): a player would press again, as a test passing `presses` does.
bool MinimiseThroughCaption(CFenlowDlg &dlg, int presses = 1)
{
    for (int press = 0; press < presses; ++press) {
        CaptionButton(dlg, kCaptionMinimizeId)->click();
        if (TestWait::Until([&] { return WindowProperty(&dlg, "WM_STATE").contains(QLatin1String("Iconic")); }, 5000))
            return true;
    }
    return false;
}

// Needs a window manager (scripts/test starts one): it decides what the main window may do
// from what the window tells it, and minimises and restores it.
TEST_F(GameWindowTest, MainWindowIsAnApplicationWindowThatMinimisesThroughItsButton)
{
    CFenlowDlg dlg(hosts);
    QTimer::singleShot(0, &dlg, [&] {
        ASSERT_EVENTUALLY(dlg.isVisible());
        CGameWnd *page = Enter(1);
        dlg.Tabs()->ShowNewestPage();
        ASSERT_EVENTUALLY(page->isVisible());
        EXPECT_TRUE(WindowProperty(&dlg, "_NET_WM_WINDOW_TYPE").contains(QLatin1String("_NET_WM_WINDOW_TYPE_NORMAL")));
        EXPECT_FALSE(WindowProperty(&dlg, "WM_TRANSIENT_FOR").contains(QLatin1String("window id")));
        EXPECT_FALSE(WindowProperty(&dlg, "_NET_WM_STATE").contains(QLatin1String("MODAL")));
        EXPECT_EVENTUALLY(WindowProperty(&dlg, "_NET_WM_ALLOWED_ACTIONS").contains("_NET_WM_ACTION_MINIMIZE"));
        EXPECT_TRUE(WindowProperty(&dlg, "_NET_WM_ALLOWED_ACTIONS").contains("_NET_WM_ACTION_MAXIMIZE_HORZ"));
        // The window manager has mapped the window before the caption's button asks it to iconify.
        EXPECT_EVENTUALLY(WindowProperty(&dlg, "WM_STATE").contains(QLatin1String("Normal")));
        EXPECT_TRUE(MinimiseThroughCaption(dlg));
        EXPECT_EVENTUALLY(!page->isVisible());
        // A taskbar brings it back through _NET_ACTIVE_WINDOW: the page comes back at its place.
        EXPECT_TRUE(Xdotool({QStringLiteral("windowactivate"), QString::number(dlg.winId())}));
        EXPECT_EVENTUALLY(WindowProperty(&dlg, "WM_STATE").contains(QLatin1String("Normal")));
        EXPECT_EVENTUALLY(page->isVisible());
        EXPECT_EVENTUALLY(page->geometry() == GameLayout::PageRect(dlg.frameGeometry()));
        // The page comes back as a normal window, not asking to be mapped iconified, which
        // a window manager granting it would leave on the taskbar instead of in place.
        EXPECT_TRUE(WindowProperty(page, "WM_HINTS").contains(QLatin1String("Normal"))) << WindowProperty(page, "WM_HINTS").toStdString();
        dlg.done(IDOK);
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
}

// Needs a window manager: it publishes the work area a panel leaves, and it takes the
// window filling that area at its first mapping for maximised, which the caption's
// restore button must end.
TEST_F(GameWindowTest, MaximisingFillsTheWorkAreaAPanelLeavesAndSurvivesMinimising)
{
    X11TestClient x11;
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    x11.ShowTopPanel(40);
    const QRect work = screen.adjusted(0, 40, 0, 0);
    ASSERT_EVENTUALLY(x11.WorkArea() == work);
    ASSERT_EVENTUALLY(QGuiApplication::primaryScreen()->availableGeometry() == work);
    CFenlowDlg dlg(hosts);
    QTimer::singleShot(0, &dlg, [&] {
        CGameWnd *page = Enter(1);
        dlg.Tabs()->ShowNewestPage();
        ASSERT_EVENTUALLY(page->isVisible());
        // As Qt has them, and as the X server does.
        const auto fills = [&](const QRect &rect) {
            return dlg.frameGeometry() == rect && dlg.windowHandle()->frameGeometry() == rect
                && page->geometry() == GameLayout::PageRect(rect) && x11.RootGeometry(dlg.winId()) == rect
                && x11.RootGeometry(page->winId()) == GameLayout::PageRect(rect);
        };
        EXPECT_EVENTUALLY(fills(work)) << Describe(dlg.frameGeometry());
        EXPECT_EVENTUALLY(WindowProperty(&dlg, "WM_STATE").contains(QLatin1String("Normal")));
        CBtnEx *maximise = CaptionButton(dlg, kCaptionMaximizeId);
        ASSERT_NE(maximise, nullptr);
        const auto MinimiseAndRestore = [&] {
            EXPECT_TRUE(MinimiseThroughCaption(dlg, 3));
            EXPECT_EVENTUALLY(!page->isVisible());
            EXPECT_TRUE(Xdotool({QStringLiteral("windowactivate"), QString::number(dlg.winId())}));
            EXPECT_EVENTUALLY(WindowProperty(&dlg, "WM_STATE").contains(QLatin1String("Normal")));
            EXPECT_EVENTUALLY(page->isVisible() && fills(work)) << Describe(dlg.frameGeometry());
        };
        EXPECT_EVENTUALLY(WindowProperty(&dlg, "_NET_WM_STATE").contains(QLatin1String("MAXIMIZED")));
        MinimiseAndRestore();

        // The caption's button leaves the maximised state (also the one the manager took
        // over) and enters it again.
        maximise->click();
        EXPECT_EVENTUALLY(fills(InitialRestoreRect(work))) << Describe(dlg.frameGeometry());
        EXPECT_EVENTUALLY(!WindowProperty(&dlg, "_NET_WM_STATE").contains(QLatin1String("MAXIMIZED")));
        maximise->click();
        EXPECT_EVENTUALLY(fills(work)) << Describe(dlg.frameGeometry());

        // Maximised, then minimised and restored: it comes back maximised with the page in
        // place, as the window manager's and as the skin's own maximised window.
        MinimiseAndRestore();
        maximise->click();
        EXPECT_EVENTUALLY(fills(InitialRestoreRect(work))) << Describe(dlg.frameGeometry());

        // The window manager maximises the restored window (a taskbar's menu, a shortcut):
        // the page follows, the maximise survives minimising, and the caption's button ends
        // it, also a second time. Each step waits until Qt has taken the window manager's
        // state: Qt reads that state from the server when it handles the news of a change,
        // so a change undone before then goes unseen, which no player is quick enough for.
        const auto where = [&] {
            return Describe(dlg.frameGeometry()) + " on the server " + Describe(x11.RootGeometry(dlg.winId())) + ", page "
                + Describe(page->geometry()) + " on the server " + Describe(x11.RootGeometry(page->winId()));
        };
        const auto maximiseByManager = [&] {
            EXPECT_EVENTUALLY(!WindowProperty(&dlg, "_NET_WM_STATE").contains(QLatin1String("MAXIMIZED")));
            TestWait::ProcessFor(300);
            // The page stays shown throughout: it does not flicker.
            EventCount hides(page, QEvent::Hide);
            x11.Maximize(uint32_t(dlg.winId()));
            EXPECT_EVENTUALLY(fills(work)) << where();
            EXPECT_EVENTUALLY(WindowProperty(&dlg, "_NET_WM_STATE").contains(QLatin1String("MAXIMIZED")));
            EXPECT_EVENTUALLY(dlg.isMaximized());
            EXPECT_EQ(hides.count, 0);
        };
        const auto restoreThroughCaption = [&] {
            EventCount hides(page, QEvent::Hide);
            maximise->click();
            EXPECT_EVENTUALLY(fills(InitialRestoreRect(work))) << where();
            EXPECT_EVENTUALLY(!dlg.isMaximized());
            EXPECT_EQ(hides.count, 0);
        };
        maximiseByManager();
        MinimiseAndRestore();
        EXPECT_TRUE(dlg.isMaximized());
        restoreThroughCaption();
        maximiseByManager();
        restoreThroughCaption();
        dlg.done(IDOK);
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
}

TEST_F(GameWindowTest, HidingTheMainWindowKeepsItsModalLoop)
{
    CFenlowDlg dlg(hosts);
    bool returned = false;
    bool returnedWhileHidden = true;
    bool hiddenSeen = false;
    QTimer::singleShot(0, &dlg, [&] {
        dlg.ToggleMainWindow(false);
        hiddenSeen = !dlg.isVisible();
    });
    // Later, after the loop had every chance to end: restore and end it properly.
    QTimer::singleShot(300, &dlg, [&] {
        returnedWhileHidden = returned;
        dlg.ToggleMainWindow(false);
        dlg.done(IDOK);
    });
    const int result = dlg.DoModal();
    returned = true;
    ASSERT_EVENTUALLY(!returnedWhileHidden || hiddenSeen, 2000);
    TestWait::ProcessFor(400);
    EXPECT_TRUE(hiddenSeen);
    EXPECT_FALSE(returnedWhileHidden);
    EXPECT_EQ(result, IDOK);
}

TEST_F(GameWindowTest, EnterGameStartsAnInstalledLauncherOrAsks)
{
    const QString folder = InstallFolder();
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString marker = home->filePath("ycj-started");
    QFile launcher(folder + "/Ycj.exe");
    ASSERT_TRUE(launcher.open(QIODevice::WriteOnly));
    launcher.write("#!/bin/sh\ntouch '" + marker.toUtf8() + "'\n");
    launcher.close();
    launcher.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    // The windows take the hosts they are given, not the installation's.
    hosts.portal = QStringLiteral("http://www.given-portal.localhost");
    hosts.forum = QStringLiteral("http://bbs.given-forum.localhost");
    CGameWnd *page = Enter(1);
    CFenlowDlg dlg(hosts);
    dlg.show();
    ASSERT_EVENTUALLY(page->isVisible());
    ASSERT_EVENTUALLY(GamePageList::Instance().Urls.value(0) == server->Url("/game/1"));
    Script(page, "document.getElementById('ycj').click()");
    EXPECT_EVENTUALLY(QFile::exists(marker));
    EXPECT_TRUE(browser.opened.isEmpty());

    MessageBoxAnswerer cancel(IDCANCEL);
    Script(page, "document.getElementById('missing').click()");
    ASSERT_EVENTUALLY(!browser.opened.isEmpty());
    EXPECT_EQ(browser.opened, QStringList{"http://www.qovan.localhost/qvzzz/"});
    EXPECT_EQ(cancel.titles, QStringList{"qovan游戏平台"});
    EXPECT_EQ(cancel.texts, QStringList{"下载翼川记登录器，玩游戏更加方便快捷，现在就去下载吧？"});
    EXPECT_EQ(page->View()->url().toString(), server->Url("/game/1"));

    Script(page, "document.getElementById('portal').click()");
    ASSERT_EVENTUALLY(browser.opened.size() == 2);
    EXPECT_EQ(browser.opened.value(1), "http://www.given-portal.localhost/qvycj/");
    dlg.Button(GameLayout::kForumButton)->click();
    ASSERT_EVENTUALLY(browser.opened.size() == 3);
    EXPECT_EQ(browser.opened.value(2), "http://bbs.given-forum.localhost/f1089");
}

TEST_F(GameWindowTest, ClosingAsksFirstAndYesEndsTheProgram)
{
    Enter(1);
    CFenlowDlg dlg(hosts);
    dlg.show();
    ASSERT_EQ(InstanceChannel::Endpoints(), QStringList{dlg.EndpointPath()});
    {
        MessageBoxAnswerer no(IDNO);
        dlg.close();
        EXPECT_EQ(no.texts, QStringList{"窗口即将关闭，是否要退出游戏？"});
        EXPECT_TRUE(dlg.isVisible());
    }
    MessageBoxAnswerer yes(IDYES);
    QTimer::singleShot(0, &dlg, [&dlg] { dlg.close(); });
    QTimer guard;
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    guard.start(15000);
    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), IDCANCEL);
    EXPECT_TRUE(InstanceChannel::Endpoints().isEmpty());
}

} // namespace
