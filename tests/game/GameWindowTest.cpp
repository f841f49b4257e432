#include <csignal>

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QKeyEvent>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
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
#include "skin/MessageBoxLayout.h"
#include "support/EventCount.h"
#include "support/TestHttpServer.h"
#include "support/Wait.h"
#include "game/GamePageList.h"

using namespace GameTestSupport;

namespace {

QByteArray GamePage(int n)
{
    return QByteArray(R"(<!doctype html><html><head><meta charset="utf-8"><title>岚汐翼川记- 主城)")
        + QByteArray::number(n) + R"(</title></head><body>
<a id="ycj" href="app://entergame|ycj">ycj</a>
<a id="missing" href="app://entergame|zzz|http://www.qovan.localhost/qvzzz/">zzz</a>
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
        auto *page = new CGameWnd(server->Url("/game/" + QString::number(n)));
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
};

TEST_F(GameWindowTest, TabsGrowWithEachPageAndKeepTheLayout)
{
    CGameWnd *first = Enter(1);
    CFenlowDlg dlg;
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
    EXPECT_EQ(GamePageList::Instance().Urls.value(0), server->Url("/game/1"));

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
    CFenlowDlg dlg;
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
    CGameWnd stranger(server->Url("/game/3"));
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
    CFenlowDlg dlg;
    dlg.show();
    ASSERT_EVENTUALLY(dlg.Tabs()->GetItemText(0) == "1服-主城1-acc1");
    Script(page, "document.title = location.href");
    ASSERT_EVENTUALLY(GamePageList::Instance().RawTitles.value(0).startsWith("http"));
    EXPECT_EQ(dlg.Tabs()->GetItemText(0), "1服-主城1-acc1");
    Script(page, "document.title = '新标题'");
    ASSERT_EVENTUALLY(dlg.Tabs()->GetItemText(0) == "1服-新标题-acc1");
}

TEST_F(GameWindowTest, CrashedRendererLeavesTheErrorPageInItsTab)
{
    CGameWnd *page = Enter(1);
    CFenlowDlg dlg;
    dlg.show();
    ASSERT_EVENTUALLY(dlg.Tabs()->GetItemText(0) == "1服-主城1-acc1");
    ASSERT_EQ(::kill(static_cast<pid_t>(page->View()->page()->renderProcessPid()), SIGSEGV), 0);
    ASSERT_EVENTUALLY(page->View()->page()->title() == "网络连接失败");
    const QString retry = Script(page, "var r = document.getElementById('retry');"
                                       "r ? r.textContent + '|' + r.getAttribute('href') : ''").toString();
    EXPECT_EQ(retry, "重新连接|" + server->Url("/game/1"));
    // The reconnect link brings the game back.
    Script(page, "document.getElementById('retry').click()");
    EXPECT_EVENTUALLY(page->View()->page()->title() == "岚汐翼川记- 主城1");
    EXPECT_EQ(GamePageList::Instance().Count(), 1);
}

TEST_F(GameWindowTest, KeysReachThePageAndNeverCloseAWindow)
{
    CGameWnd *first = Enter(1);
    CFenlowDlg dlg;
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
    CFenlowDlg dlg;
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
    CFenlowDlg dlg;
    dlg.show();
    ASSERT_EVENTUALLY(dlg.isVisible());
    dlg.showMinimized();
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

TEST_F(GameWindowTest, HidingTheMainWindowKeepsItsModalLoop)
{
    CFenlowDlg dlg;
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

    CGameWnd *page = Enter(1);
    CFenlowDlg dlg;
    dlg.show();
    ASSERT_EVENTUALLY(page->isVisible());
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
}

TEST_F(GameWindowTest, ClosingAsksFirstAndYesEndsTheProgram)
{
    Enter(1);
    CFenlowDlg dlg;
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
