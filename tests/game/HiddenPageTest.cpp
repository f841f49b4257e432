#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QDesktopServices>
#include <QScreen>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <gtest/gtest.h>

#include "game/CCaptTab.h"
#include "game/CFenlowDlg.h"
#include "game/CGameWnd.h"
#include "game/GameTestSupport.h"
#include "support/TestHttpServer.h"
#include "support/Wait.h"
#include "game/GamePageList.h"

namespace {

constexpr int kLoadMs = 20000;

// Game pages that count their animation frames and paint themselves in one colour each.
const QColor kPageColours[] = {QColor(20, 160, 60), QColor(30, 60, 200)};

QByteArray AnimatedPage(int n)
{
    const QColor colour = kPageColours[n - 1];
    return QStringLiteral(R"html(<!doctype html><html><head><meta charset="utf-8"><title>岚汐翼川记- 主城%1</title></head>
<body style="margin:0;background:rgb(%2,%3,%4)">
<script>
window.ticks = 0;
(function tick() { ticks++; requestAnimationFrame(tick); })();
</script></body></html>)html")
        .arg(n).arg(colour.red()).arg(colour.green()).arg(colour.blue()).toUtf8();
}

// Intervals of the timers running for `object` that wake it again and again: its own and
// those of its repeating QTimer children (a single shot after a change ends by itself).
QList<int> RunningTimers(QObject *object)
{
    QList<int> intervals;
    for (const QAbstractEventDispatcher::TimerInfo &timer : QAbstractEventDispatcher::instance()->registeredTimers(object))
        intervals << timer.interval;
    for (const QTimer *timer : object->findChildren<QTimer *>(Qt::FindDirectChildrenOnly)) {
        if (timer->isActive() && !timer->isSingleShot())
            intervals << timer->interval();
    }
    return intervals;
}

// Runs the event loop as the program does, falling idle between events, for `ms`.
void RunEventLoop(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool NearColour(const QColor &seen, const QColor &wanted)
{
    return std::abs(seen.red() - wanted.red()) + std::abs(seen.green() - wanted.green())
               + std::abs(seen.blue() - wanted.blue()) < 30;
}

// Game pages in a real main window over loopback: what the engine does with the pages of
// tabs that are not shown, and which timers run while the window is hidden.
class HiddenPageTest : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        home = GameTestSupport::NewPrivateHome();
        server = new TestHttpServer;
        for (int n = 1; n <= 2; ++n)
            server->SetPage("/game/" + QString::number(n), AnimatedPage(n));
    }

    void TearDown() override { GamePageList::Instance().Clear(); }

    CGameWnd *Enter(int n)
    {
        auto *page = new CGameWnd(server->Url("/game/" + QString::number(n)), hosts);
        GamePageList::Instance().Append(page, QStringLiteral("acc%1").arg(n), QString::number(n));
        return page;
    }

    static QVariant Script(CGameWnd *page, const QString &source)
    {
        return GameTestSupport::RunScript(page->View()->page(), source);
    }
    static int Ticks(CGameWnd *page) { return Script(page, QStringLiteral("window.ticks || 0")).toInt(); }
    static QString Visibility(CGameWnd *page) { return Script(page, QStringLiteral("document.visibilityState")).toString(); }

    // The colour the X server shows at the centre of `page`.
    static QColor OnScreen(CGameWnd *page)
    {
        const QPoint centre = page->geometry().center();
        return QApplication::primaryScreen()->grabWindow(0, centre.x(), centre.y(), 1, 1).toImage().pixelColor(0, 0);
    }

    static inline QTemporaryDir *home = nullptr;
    static inline TestHttpServer *server = nullptr;
    const PlatformHosts hosts = PlatformHosts::Defaults();
};

TEST_F(HiddenPageTest, UnselectedTabsAreHiddenToTheEngineAndDrawAgainWhenSelected)
{
    CGameWnd *first = Enter(1);
    CFenlowDlg dlg(hosts);
    dlg.show();
    ASSERT_EVENTUALLY(first->isVisible() && Ticks(first) > 0, kLoadMs);
    EXPECT_EQ(Visibility(first), "visible");
    EXPECT_EVENTUALLY(NearColour(OnScreen(first), kPageColours[0]));

    CGameWnd *second = Enter(2);
    dlg.Tabs()->ShowNewestPage();
    ASSERT_EVENTUALLY(second->isVisible() && Ticks(second) > 0, kLoadMs);
    EXPECT_EVENTUALLY(Visibility(first) == "hidden");
    EXPECT_EQ(Visibility(second), "visible");

    // While the shown page draws frame after frame, the hidden one draws none.
    const int hiddenBefore = Ticks(first);
    const int shownBefore = Ticks(second);
    ASSERT_EVENTUALLY(Ticks(second) >= shownBefore + 20);
    EXPECT_LE(Ticks(first) - hiddenBefore, 1);

    // Selected again, the first page is visible, animates and is on screen, although the
    // engine's drawing resources were let go while it was hidden.
    dlg.Tabs()->SwitchToNextPage();
    ASSERT_EQ(dlg.Tabs()->CurrentPage(), first);
    EXPECT_EVENTUALLY(Visibility(first) == "visible");
    EXPECT_EVENTUALLY(Visibility(second) == "hidden");
    const int resumed = Ticks(first);
    EXPECT_EVENTUALLY(Ticks(first) >= resumed + 20);
    EXPECT_EVENTUALLY(NearColour(OnScreen(first), kPageColours[0]));

    // Hidden to the tray, the window's pages are all hidden to the engine.
    dlg.ToggleMainWindow(false);
    EXPECT_EVENTUALLY(Visibility(first) == "hidden");
    EXPECT_EQ(Visibility(second), "hidden");
    dlg.ToggleMainWindow(false);
    EXPECT_EVENTUALLY(Visibility(first) == "visible");
    EXPECT_EVENTUALLY(NearColour(OnScreen(first), kPageColours[0])) << OnScreen(first).name().toStdString();
    EXPECT_EQ(Visibility(second), "hidden");
}

TEST_F(HiddenPageTest, MuteTimerRunsOnlyWhileTheWindowIsShownAndTheSoundKeyWorksHidden)
{
    CGameWnd *page = Enter(1);
    CFenlowDlg dlg(hosts);
    dlg.show();
    ASSERT_EVENTUALLY(page->isVisible() && page->View(), kLoadMs);
    EXPECT_EQ(RunningTimers(&dlg), QList<int>{400});

    dlg.ToggleMainWindow(false);
    ASSERT_FALSE(dlg.isVisible());
    EXPECT_EQ(RunningTimers(&dlg), QList<int>{});
    // The sound key flips the request while the window is hidden; it still takes effect.
    dlg.MuteRequested = 1;
    RunEventLoop(100);
    EXPECT_EQ(dlg.MuteApplied, 1);
    EXPECT_TRUE(page->View()->page()->isAudioMuted());

    dlg.ToggleMainWindow(false);
    ASSERT_TRUE(dlg.isVisible());
    EXPECT_EQ(RunningTimers(&dlg), QList<int>{400});
    // Shown, the timer applies the request again.
    dlg.MuteRequested = 0;
    EXPECT_EVENTUALLY(dlg.MuteApplied == 0 && !page->View()->page()->isAudioMuted(), 2000);
}

} // namespace
