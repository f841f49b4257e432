#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QElapsedTimer>
#include <QMenu>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include <gtest/gtest.h>

#include "game/CCaptTab.h"
#include "game/CFenlowDlg.h"
#include "game/CGameWnd.h"
#include "game/GameLayout.h"
#include "game/GameTestSupport.h"
#include "game/SystemMenu.h"
#include "game/GamePageList.h"
#include "login/CLoginBkDlg.h"
#include "web/WebEngineSetup.h"
#include "skin/CBtnEx.h"
#include "skin/CMessageBox.h"
#include "support/TestHttpServer.h"
#include "support/Wait.h"
#include "web/CookieKeeper.h"

using namespace GameTestSupport;

namespace {

QString Number(int value)
{
    return QString::number(value);
}

// A real XEmbed tray: trayer at the bottom-right corner of the screen.
class Tray
{
public:
    Tray()
    {
        m_process.setProgram(QStringLiteral("trayer"));
        m_process.setArguments({"--edge", "bottom", "--align", "right", "--widthtype", "pixel", "--width", "120",
                                "--heighttype", "pixel", "--height", "32", "--expand", "false"});
        m_process.setStandardOutputFile(QProcess::nullDevice());
        m_process.setStandardErrorFile(QProcess::nullDevice());
        m_process.start();
    }
    ~Tray() { Stop(); }
    Tray(const Tray &) = delete;
    Tray &operator=(const Tray &) = delete;

    void Stop()
    {
        m_process.kill();
        m_process.waitForFinished(3000);
    }
    bool Started() { return m_process.waitForStarted(5000); }

    // The screen rectangle of the tray's panel, empty until it is mapped.
    static QRect Panel()
    {
        QProcess search;
        search.start(QStringLiteral("xdotool"), {"search", "--onlyvisible", "--classname", "panel", "getwindowgeometry",
                                                 "--shell", "%@"});
        search.waitForFinished(5000);
        QHash<QString, int> values;
        for (const QByteArray &line : search.readAllStandardOutput().split('\n')) {
            const QList<QByteArray> pair = line.split('=');
            if (pair.size() == 2)
                values.insert(QString::fromLatin1(pair[0]), pair[1].toInt());
        }
        if (!values.contains("WIDTH"))
            return {};
        return {values["X"], values["Y"], values["WIDTH"], values["HEIGHT"]};
    }

private:
    QProcess m_process;
};

// What an open popup menu showed: its items ("-" for a separator) and its geometry.
struct MenuSeen {
    QStringList items;
    QList<int> ids;
    QRect geometry;
    QPoint cursor;
};

// Once a popup menu opens, records it into `seen` and runs `act` on it (inside the
// menu's own event loop).
class MenuWatcher
{
public:
    MenuWatcher(MenuSeen &seen, std::function<void(QMenu *)> act)
    {
        m_timer.setInterval(20);
        QObject::connect(&m_timer, &QTimer::timeout, [this, &seen, act] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            if (!menu || !menu->isVisible())
                return;
            m_timer.stop();
            for (QAction *action : menu->actions()) {
                seen.items << (action->isSeparator() ? QStringLiteral("-") : action->text());
                seen.ids << (action->isSeparator() ? 0 : action->data().toInt());
            }
            seen.geometry = menu->geometry();
            seen.cursor = QCursor::pos();
            if (const QString folder = qEnvironmentVariable("FENLOW_SCREENSHOT_DIR"); !folder.isEmpty()) {
                TestWait::ProcessFor(300); // until the menu is painted
                menu->screen()->grabWindow(0).save(folder + "/" + menu->parentWidget()->objectName() + "-"
                                                   + Number(++s_shots) + ".png");
            }
            act(menu);
        });
        m_timer.start();
    }

private:
    QTimer m_timer;
    static inline int s_shots = 0;
};

// Clicks the item of `menu` whose text starts with `text`, as the player does.
void ClickItem(QMenu *menu, const QString &text)
{
    for (QAction *action : menu->actions()) {
        if (action->text().startsWith(text)) {
            const QPoint centre = menu->mapToGlobal(menu->actionGeometry(action).center());
            Xdotool({"mousemove", Number(centre.x()), Number(centre.y()), "click", "1"});
            return;
        }
    }
    ADD_FAILURE() << "no item " << text.toStdString();
}

bool ClickAt(const QPoint &point, int button)
{
    return Xdotool({"mousemove", Number(point.x()), Number(point.y()), "click", Number(button)});
}

// Clicks the tray icon at `point`. Without a window manager nothing keeps the tray's
// panel above the maximised main window and its pages, so it is raised first.
bool ClickTray(const QPoint &point, int button)
{
    return Xdotool({"search", "--onlyvisible", "--classname", "panel", "windowraise", "%@", "mousemove",
                    Number(point.x()), Number(point.y()), "click", Number(button)});
}

class TrayMenuTest : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        home = new QTemporaryDir;
        for (const char *name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "TMPDIR"})
            qputenv(name, home->path().toUtf8());
        // Without a session bus the icon goes to the XEmbed tray, also in a desktop session.
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    }

    void SetUp() override
    {
        GamePageList::Instance().Append(new CGameWnd(QStringLiteral("about:blank"), PlatformHosts::Defaults()), QStringLiteral("acc1"),
                                        QStringLiteral("1"));
        dlg = std::make_unique<CFenlowDlg>(PlatformHosts::Defaults());
        dlg->setObjectName(QStringLiteral("main"));
        // Shown as DoModal shows it (not modal to the window system), without its event loop.
        dlg->show();
        // The page window comes up last and would cover a menu opened before it.
        ASSERT_EVENTUALLY(dlg->isVisible() && GamePageList::Instance().Pages.at(0)->isVisible());
    }

    void TearDown() override
    {
        dlg.reset();
        GamePageList::Instance().Clear();
    }

    // Waits until the tray icon sits inside the tray's panel and the tray has stopped
    // placing it; answers its rectangle.
    QRect IconInTray()
    {
        QRect icon;
        QElapsedTimer settled;
        TestWait::Until(
            [&] {
                const QRect now = dlg->TrayIcon()->geometry();
                if (now != icon || now.isEmpty() || !Tray::Panel().contains(now)) {
                    icon = now;
                    settled.start();
                    return false;
                }
                return settled.elapsed() > 500;
            },
            10000);
        return icon;
    }

    static inline QTemporaryDir *home = nullptr;
    std::unique_ptr<CFenlowDlg> dlg;
};

TEST_F(TrayMenuTest, TrayIconTogglesTheWindowAndFollowsTheTrayThroughARestart)
{
    auto tray = std::make_unique<Tray>();
    ASSERT_TRUE(tray->Started());
    const QRect icon = IconInTray();
    ASSERT_TRUE(Tray::Panel().contains(icon)) << "icon " << icon.x() << "," << icon.y() << " " << icon.width();
    EXPECT_EQ(dlg->TrayIcon()->toolTip(), "岚汐翼川记");

    ASSERT_TRUE(ClickTray(icon.center(), 1));
    EXPECT_EVENTUALLY(!dlg->isVisible());
    EXPECT_FALSE(GamePageList::Instance().Pages.at(0)->isVisible());
    ASSERT_TRUE(ClickTray(icon.center(), 1));
    EXPECT_EVENTUALLY(dlg->isVisible());

    // The tray program ends and starts again: the icon comes back into the new tray.
    tray->Stop();
    ASSERT_EVENTUALLY(Tray::Panel().isEmpty());
    tray = std::make_unique<Tray>();
    ASSERT_TRUE(tray->Started());
    const QRect again = IconInTray();
    ASSERT_TRUE(Tray::Panel().contains(again)) << again.x() << "," << again.y();
    ASSERT_TRUE(ClickTray(again.center(), 1));
    EXPECT_EVENTUALLY(!dlg->isVisible());
}

TEST_F(TrayMenuTest, TrayMenuOpensAtTheCursorAndItsItemsAct)
{
    Tray tray;
    ASSERT_TRUE(tray.Started());
    const QRect icon = IconInTray();
    ASSERT_FALSE(icon.isEmpty());

    MenuSeen seen;
    MenuWatcher toggle(seen, [](QMenu *menu) { ClickItem(menu, "隐藏/恢复"); });
    ASSERT_TRUE(ClickTray(icon.center(), 3));
    ASSERT_EVENTUALLY(!dlg->isVisible());
    EXPECT_EQ(seen.items, (QStringList{"刷新 (F5)", "隐藏/恢复(Ctrl  +  F9)", "清除缓存", "-", "更新", "设置...", "退出"}));
    EXPECT_EQ(seen.ids, (QList<int>{1, 2, 3, 0, 4, 5, 6}));
    EXPECT_EQ(seen.geometry, QRect(seen.cursor - QPoint(seen.geometry.width(), seen.geometry.height()),
                                   seen.geometry.size()));

    // The menu also opens over a hidden window; "退出" removes the icon and ends the
    // program's event loop.
    MenuSeen exitSeen;
    MenuWatcher exit(exitSeen, [](QMenu *menu) { ClickItem(menu, "退出"); });
    QTimer::singleShot(0, [&] { ClickTray(icon.center(), 3); });
    QTimer guard;
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    guard.start(15000);
    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_FALSE(dlg->TrayIcon()->isVisible());
    EXPECT_EQ(exitSeen.items.size(), 7);
}

// A further login is modal to the main window only: while it is open, left clicks on
// the tray icon hide and restore the main window (and the login with it), and a right
// click opens the tray's menu.
TEST_F(TrayMenuTest, TheTrayAnswersWhileAFurtherLoginIsOpen)
{
    // The further login shows this build's login page, as Platform.ini names it.
    const PlatformHosts hosts = PlatformHosts::Installed();
    dlg = std::make_unique<CFenlowDlg>(hosts, [hosts](QWidget *owner) {
        return std::make_unique<CLoginBkDlg>(owner, CGameWnd::Factory(hosts), hosts.LoginPageUrl());
    });
    dlg->show();
    ASSERT_EVENTUALLY(dlg->isVisible());
    Tray tray;
    ASSERT_TRUE(tray.Started());
    const QRect icon = IconInTray();
    ASSERT_FALSE(icon.isEmpty());

    // The login runs modally: what happens meanwhile is checked from inside its loop.
    bool loginEnded = false;
    bool hidden = false;
    bool restoredWithTheLogin = false;
    MenuSeen seen;
    QTimer::singleShot(0, dlg.get(), [&] {
        dlg->OpenFurtherLogin();
        loginEnded = true;
    });
    QTimer::singleShot(50, dlg.get(), [&] {
        const auto loginShown = [] { return ActiveLoginWindow() && ActiveLoginWindow()->isVisible(); };
        if (!TestWait::Until(loginShown, 20000))
            return;
        ClickTray(icon.center(), 1);
        hidden = TestWait::Until([&] { return !dlg->isVisible() && !loginShown(); });
        ClickTray(icon.center(), 1);
        restoredWithTheLogin = TestWait::Until([&] { return dlg->isVisible() && loginShown(); });
        MenuWatcher watcher(seen, [](QMenu *menu) { menu->close(); });
        ClickTray(icon.center(), 3);
        TestWait::Until([&] { return !seen.items.isEmpty(); });
        if (ActiveLoginWindow())
            static_cast<QDialog *>(ActiveLoginWindow())->reject();
    });
    ASSERT_EVENTUALLY(loginEnded, 90000);
    EXPECT_TRUE(hidden);
    EXPECT_TRUE(restoredWithTheLogin);
    EXPECT_EQ(seen.items.size(), 7) << seen.items.join(' ').toStdString();
}

// A clearing from the tray's menu while a further login is open: every account slot, the
// two tabs' and the open login's, gets its cookie back, and each page then sends its own.
TEST_F(TrayMenuTest, ClearingTheCacheWhileAFurtherLoginIsOpenKeepsEverySlotsCookie)
{
    TestHttpServer server;
    server.SetHandler("/acct", [](const QString &target, const QByteArray &) {
        TestHttpServer::Response response;
        response.headers = "Set-Cookie: acct=" + QUrl(target).query().toUtf8() + "; Path=/\r\n";
        response.body = "<p>logged in</p>";
        return response;
    });
    for (int slot = 1; slot <= 3; ++slot)
        server.SetPage("/plain" + Number(slot), "<p>plain</p>");
    dlg.reset();
    GamePageList &pages = GamePageList::Instance();
    pages.Clear();
    const PlatformHosts hosts = PlatformHosts::Defaults();
    pages.Append(new CGameWnd(server.Url("/acct?1"), hosts, WebEngineSetup::FirstSlot()), "acc1", "1");
    dlg = std::make_unique<CFenlowDlg>(hosts, [&server](QWidget *owner) {
        return std::make_unique<CLoginBkDlg>(owner, GamePageFactory{}, server.Url("/acct?3"), WebEngineSetup::NewSlot());
    });
    dlg->show();
    // The second tab comes as a further login's does.
    pages.Append(new CGameWnd(server.Url("/acct?2"), hosts, WebEngineSetup::NewSlot()), "acc2", "1");
    dlg->Tabs()->ShowNewestPage();
    Tray tray;
    ASSERT_TRUE(tray.Started());
    const QRect icon = IconInTray();
    ASSERT_FALSE(icon.isEmpty());

    // The clearing's notice is answered as soon as it shows.
    QTimer answer;
    answer.setInterval(20);
    QObject::connect(&answer, &QTimer::timeout, [] {
        if (auto *box = qobject_cast<CMessageBox *>(QApplication::activeModalWidget()); box && box->isVisible())
            box->done(IDOK);
    });
    answer.start();
    bool loginEnded = false;
    int restored = 0;
    QList<QWebEnginePage *> slotPages;
    QTimer::singleShot(0, dlg.get(), [&] {
        dlg->OpenFurtherLogin();
        loginEnded = true;
    });
    QTimer::singleShot(50, dlg.get(), [&] {
        const auto *login = qobject_cast<CLoginBkDlg *>(ActiveLoginWindow());
        const auto end = [] { static_cast<QDialog *>(ActiveLoginWindow())->reject(); };
        if (!TestWait::Until([&] { return login && login->isVisible() && server.Hits("/acct") == 3; }, 30000))
            return end();
        slotPages = {pages.Pages.at(0)->View()->page(), pages.Pages.at(1)->View()->page(), login->LoginPage.View()->page()};
        for (QWebEnginePage *page : slotPages)
            QObject::connect(WebEngineSetup::Cookies(page->profile()), &CookieKeeper::cookiesRestored, &answer, [&] { ++restored; });
        MenuSeen seen;
        MenuWatcher clear(seen, [](QMenu *menu) { ClickItem(menu, "清除缓存"); });
        ClickTray(icon.center(), 3);
        if (TestWait::Until([&] { return restored == 3; }, 30000)) {
            for (int slot = 1; slot <= 3; ++slot)
                slotPages.at(slot - 1)->load(QUrl(server.Url("/plain" + Number(slot))));
            TestWait::Until([&] { return server.Hits("/plain1") + server.Hits("/plain2") + server.Hits("/plain3") == 3; });
        }
        end();
    });
    ASSERT_EVENTUALLY(loginEnded, 120000);
    ASSERT_EQ(slotPages.size(), 3) << "the further login did not show, or not every page loaded: "
                                   << server.Hits("/acct") << " of 3";
    EXPECT_EQ(WebEngineSetup::SlotsInUse().size(), 2) << "the ended login's slot is still in use";
    EXPECT_EQ(restored, 3);
    EXPECT_EQ(server.CookieSent("/plain1"), "acct=1");
    EXPECT_EQ(server.CookieSent("/plain2"), "acct=2");
    EXPECT_EQ(server.CookieSent("/plain3"), "acct=3");
}

// The next further login is built ahead, hidden, and the hand-over takes that one; after
// a login another is built, and none is kept once no further login can open.
TEST_F(TrayMenuTest, TheNextFurtherLoginIsBuiltAheadWhileAnotherCanOpen)
{
    int built = 0;
    QPointer<QDialog> newest;
    dlg = std::make_unique<CFenlowDlg>(PlatformHosts::Defaults(), [&](QWidget *owner) {
        auto login = std::make_unique<QDialog>(owner);
        ++built;
        newest = login.get();
        return login;
    });
    dlg->show();
    ASSERT_EVENTUALLY(built == 1, 10000);
    EXPECT_FALSE(newest->isVisible());

    QPointer<QDialog> shown;
    QTimer::singleShot(0, dlg.get(), [&] {
        TestWait::Until([] { return ActiveLoginWindow() && ActiveLoginWindow()->isVisible(); });
        shown = qobject_cast<QDialog *>(ActiveLoginWindow());
        if (shown)
            shown->reject();
    });
    dlg->OpenFurtherLogin();
    EXPECT_EQ(built, 1);
    EXPECT_TRUE(shown.isNull()) << "the login outlived its end";
    ASSERT_EVENTUALLY(built == 2, 10000);

    const PlatformHosts hosts = PlatformHosts::Defaults();
    GamePageList &pages = GamePageList::Instance();
    while (pages.Count() < CFenlowDlg::kMaxPages) {
        pages.Append(new CGameWnd(QStringLiteral("about:blank"), hosts), "acc" + Number(pages.Count()), "1");
        dlg->Tabs()->ShowNewestPage();
    }
    EXPECT_TRUE(newest.isNull()) << "a login is kept with three pages open";
}

TEST_F(TrayMenuTest, ButtonMenuOpensBelowTheButtonAndTheVersionDoesNothing)
{
    CBtnEx *button = dlg->Button(GameLayout::kSystemButton);
    const QRect onScreen(button->mapToGlobal(QPoint(0, 0)), button->size());

    MenuSeen seen;
    bool closed = false;
    MenuWatcher version(seen, [&](QMenu *menu) {
        QObject::connect(menu, &QMenu::aboutToHide, [&] { closed = true; });
        ClickItem(menu, "版本号");
    });
    ASSERT_TRUE(ClickAt(onScreen.center(), 1));
    ASSERT_EVENTUALLY(closed);
    EXPECT_EQ(seen.items, (QStringList{"刷新 (F5)", "隐藏/恢复(Ctrl  +  F9)", "清除缓存", "-", "更新", "设置...", "版本号: 1.0.0.1"}));
    EXPECT_EQ(seen.ids, (QList<int>{1, 2, 3, 0, 4, 5, -1}));
    EXPECT_EQ(seen.geometry.topLeft(), QPoint(onScreen.left(), onScreen.top() + onScreen.height() + 3));
    // Nothing follows the version item, also nothing its handling left queued: no
    // message box, the window stays as it was.
    ASSERT_TRUE(TestWait::QueuedBeforeDelivered());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(dlg->isVisible());

    // "隐藏/恢复" hides; a real click on the button after restoring opens the menu again.
    MenuSeen hideSeen;
    MenuWatcher hide(hideSeen, [](QMenu *menu) { ClickItem(menu, "隐藏/恢复"); });
    ASSERT_TRUE(ClickAt(onScreen.center(), 1));
    EXPECT_EVENTUALLY(!dlg->isVisible());
    EXPECT_EQ(hideSeen.items.size(), 7);
}

TEST_F(TrayMenuTest, ClearingTheCacheTellsAtOnceAndDeletesNothingOutside)
{
    // A cache large enough to take a while, with a read-only file and a link that
    // leads out of it.
    const QString cache = WebEngineSetup::Profile()->cachePath();
    for (int folder = 0; folder < 100; ++folder) {
        const QString path = cache + "/bulk/" + Number(folder);
        ASSERT_TRUE(QDir().mkpath(path));
        for (int file = 0; file < 50; ++file)
            QFile(path + "/" + Number(file)).open(QIODevice::WriteOnly);
    }
    QFile readOnly(cache + "/readonly.bin");
    ASSERT_TRUE(readOnly.open(QIODevice::WriteOnly));
    readOnly.close();
    ASSERT_TRUE(readOnly.setPermissions(QFileDevice::ReadOwner));
    const QString outside = home->path() + "/outside";
    ASSERT_TRUE(QDir().mkpath(outside));
    QFile(outside + "/keep.txt").open(QIODevice::WriteOnly);
    ASSERT_TRUE(QFile::link(outside, cache + "/to-outside"));

    // The notice is up while the worker is still deleting.
    QStringList notices;
    bool stillClearing = false;
    QTimer answer;
    answer.setInterval(5);
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto *box = qobject_cast<CMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        stillClearing = QFileInfo::exists(cache + "/bulk");
        notices << box->windowTitle() + ":" + MessageBoxText(box);
        box->done(IDOK);
    });
    answer.start();
    MenuSeen seen;
    MenuWatcher clear(seen, [](QMenu *menu) { ClickItem(menu, "清除缓存"); });
    CBtnEx *button = dlg->Button(GameLayout::kSystemButton);
    ASSERT_TRUE(ClickAt(button->mapToGlobal(button->rect().center()), 1));
    ASSERT_EVENTUALLY(!notices.isEmpty());
    EXPECT_EQ(notices, QStringList{"岚汐翼川记:缓存清除完毕！"});
    EXPECT_TRUE(stillClearing);

    EXPECT_EVENTUALLY(!QFileInfo::exists(cache + "/bulk") && !QFileInfo::exists(cache + "/readonly.bin"), 30000);
    EXPECT_FALSE(QFileInfo::exists(cache + "/to-outside"));
    EXPECT_TRUE(QFileInfo::exists(outside + "/keep.txt"));
    EXPECT_TRUE(QFileInfo(cache).isDir());
}

} // namespace
