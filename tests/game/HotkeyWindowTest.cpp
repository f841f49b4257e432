#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <gtest/gtest.h>

#include "game/CCaptTab.h"
#include "game/CFenlowDlg.h"
#include "game/CGameWnd.h"
#include "game/GameLayout.h"
#include "game/GamePageList.h"
#include "game/GameTestSupport.h"
#include "game/PulseAudioServer.h"
#include "platform/HotkeyEvent.h"
#include "settings/HotkeySettings.h"
#include "skin/CBtnEx.h"
#include "skin/CMessageBox.h"
#include "support/EventCount.h"
#include "support/TestHttpServer.h"
#include "support/Wait.h"
#include "support/X11TestClient.h"

namespace {

// A game page that plays a loud, steady tone from the first click on, at 440 Hz or the
// frequency of its "hz" parameter.
const QByteArray kTonePage = R"(<!doctype html><html><head><meta charset="utf-8"><title>岚汐翼川记- 主城</title>
<style>html, body { margin: 0; width: 100%; height: 100%; background: #234; }</style></head>
<body><script>
window.playing = false;
document.addEventListener('mousedown', () => {
  if (window.audio) return;
  window.audio = new AudioContext();
  const tone = audio.createOscillator(), gain = audio.createGain();
  tone.frequency.value = Number(new URLSearchParams(location.search).get('hz') || 440); gain.gain.value = 0.5;
  tone.connect(gain).connect(audio.destination); tone.start();
  audio.resume().then(() => { window.playing = true; });
});
</script></body></html>)";

// Whether the page's script reports its tone running.
bool TonePlaying(CGameWnd *page)
{
    bool done = false, playing = false;
    page->View()->page()->runJavaScript(QStringLiteral("window.playing === true"), [&](const QVariant &value) {
        playing = value.toBool();
        done = true;
    });
    TestWait::Until([&] { return done; }, 3000);
    return playing;
}

// Clicks at `screen` as the player does: the pointer arrives, rests, then clicks.
void ClickAt(QPoint screen)
{
    GameTestSupport::Xdotool({QStringLiteral("mousemove"), QString::number(screen.x()), QString::number(screen.y())});
    TestWait::ProcessFor(300);
    GameTestSupport::Xdotool({QStringLiteral("click"), QStringLiteral("1")});
}

// Clicks the middle of the page's view, as a player starting the game's sound does, and
// answers whether its tone now runs. A click that arrives before the view is drawn on the
// screen is lost, so callers click again until it holds.
bool ClickStartsTone(CGameWnd *page)
{
    ClickAt(page->View()->mapToGlobal(page->View()->rect().center()));
    return TonePlaying(page);
}

// Loud is a tone at a tenth of full scale or more; silence is exactly zero.
constexpr double kLoud = 3000;
constexpr int kWindowMs = 250;
// How much of the sink's output, recorded after it fell silent, must stay silent.
constexpr int kSilentSpanMs = 900;

class HotkeyWindowTest : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        home = GameTestSupport::NewPrivateHome();
        server = new TestHttpServer;
        server->SetPage(QStringLiteral("/tone"), kTonePage);
        server->SetPage(QStringLiteral("/game"), "<!doctype html><title>岚汐翼川记- 城</title>");
    }

    void SetUp() override
    {
        QFile::remove(HotkeySettingsPath());
        x11.SetLock(QStringLiteral("Num_Lock"), X11TestClient::kNumLock, true);
    }

    void TearDown() override
    {
        dlg.reset();
        GamePageList::Instance().Clear();
        for (int id = BossKeyId; id <= SoundKeyId; ++id)
            RegisteredHotkey(id) = kNotRegistered;
        x11.SetLock(QStringLiteral("Num_Lock"), X11TestClient::kNumLock, false);
        x11.SetLock(QStringLiteral("Caps_Lock"), X11TestClient::kLock, false);
    }

    CGameWnd *Enter(const QString &path, int n)
    {
        auto *page = new CGameWnd(server->Url(path), PlatformHosts::Defaults());
        GamePageList::Instance().Append(page, QStringLiteral("acc%1").arg(n), QString::number(n));
        return page;
    }

    // Opens the main window over `pages` pages.
    void Open(int pages, const QString &path = QStringLiteral("/game"))
    {
        Enter(path, 1);
        // A plain dialog stands for the further login: only its being open matters here.
        dlg = std::make_unique<CFenlowDlg>(PlatformHosts::Defaults(), [](QWidget *owner) { return std::make_unique<QDialog>(owner); });
        dlg->show();
        for (int n = 2; n <= pages; ++n) {
            Enter(path, n);
            dlg->Tabs()->ShowNewestPage();
        }
        ASSERT_EVENTUALLY(dlg->isVisible() && dlg->Tabs()->CurrentPage() && dlg->Tabs()->CurrentPage()->isVisible());
    }

    // Presses the sound key and waits until the window applied the change.
    void ToggleSound(int expected)
    {
        ASSERT_TRUE(PressKeys(QStringLiteral("ctrl+s")));
        ASSERT_EVENTUALLY(dlg->MuteApplied == expected, 3000);
    }

    static inline QTemporaryDir *home = nullptr;
    static inline TestHttpServer *server = nullptr;
    X11TestClient x11;
    std::unique_ptr<CFenlowDlg> dlg;
};

TEST_F(HotkeyWindowTest, DefaultHotkeysAreRegisteredAndActWithNumLockOn)
{
    Open(2);
    EXPECT_EQ(RegisteredHotkey(BossKeyId), (HotkeyPair{MOD_CONTROL, 120}));
    EXPECT_EQ(RegisteredHotkey(SwitchKeyId), (HotkeyPair{MOD_CONTROL, 9}));
    EXPECT_EQ(RegisteredHotkey(SoundKeyId), (HotkeyPair{MOD_CONTROL, 83}));
    ASSERT_TRUE(x11.ModifierState() & X11TestClient::kNumLock);

    CCaptTab *tabs = dlg->Tabs();
    ASSERT_EQ(tabs->GetCurSel(), 1);
    PressKeys(QStringLiteral("ctrl+Tab"));
    ASSERT_EVENTUALLY(tabs->GetCurSel() == 0);
    PressKeys(QStringLiteral("ctrl+Tab"));
    ASSERT_EVENTUALLY(tabs->GetCurSel() == 1);

    // With Caps Lock on as well.
    ASSERT_TRUE(x11.SetLock(QStringLiteral("Caps_Lock"), X11TestClient::kLock, true));
    CBtnEx *sound = dlg->Button(GameLayout::kSoundButton);
    const QImage soundOn = sound->grab().toImage();
    ToggleSound(1);
    EXPECT_NE(sound->grab().toImage(), soundOn);
    for (CGameWnd *page : GamePageList::Instance().Pages)
        EXPECT_TRUE(page->View()->page()->isAudioMuted());
    ToggleSound(0);
    EXPECT_EQ(sound->grab().toImage(), soundOn);

    PressKeys(QStringLiteral("ctrl+F9"));
    ASSERT_EVENTUALLY(!dlg->isVisible());
    EXPECT_FALSE(tabs->CurrentPage()->isVisible());
    // The switch key does nothing while the window is hidden: the boss key that follows
    // it restores the window with the same tab.
    PressKeys(QStringLiteral("ctrl+Tab"));
    PressKeys(QStringLiteral("ctrl+F9"));
    ASSERT_EVENTUALLY(dlg->isVisible() && tabs->CurrentPage()->isVisible());
    EXPECT_EQ(tabs->GetCurSel(), 1);
}

TEST_F(HotkeyWindowTest, TheSwitchKeyWaitsWhileAFurtherLoginIsOpen)
{
    Open(2);
    CCaptTab *tabs = dlg->Tabs();
    // The login runs modally: what happens meanwhile is checked from inside its loop.
    bool loginEnded = false;
    int selectedDuringLogin = -1;
    QTimer::singleShot(0, dlg.get(), [&] {
        dlg->OpenFurtherLogin();
        loginEnded = true;
    });
    QTimer::singleShot(50, dlg.get(), [&] {
        if (!TestWait::Until([] { return ActiveLoginWindow() && ActiveLoginWindow()->isVisible(); }))
            return;
        PressKeys(QStringLiteral("ctrl+Tab"));
        // The sound key pressed after it shows that the keys have been handled.
        PressKeys(QStringLiteral("ctrl+s"));
        TestWait::Until([&] { return dlg->MuteRequested == 1; });
        selectedDuringLogin = tabs->GetCurSel();
        static_cast<QDialog *>(ActiveLoginWindow())->reject();
    });
    ASSERT_EVENTUALLY(loginEnded, 20000);
    EXPECT_EQ(dlg->MuteRequested, 1);
    EXPECT_EQ(selectedDuringLogin, 1);
    PressKeys(QStringLiteral("ctrl+Tab"));
    ASSERT_EVENTUALLY(tabs->GetCurSel() == 0);
}

TEST_F(HotkeyWindowTest, TheSoundKeyTwiceWithinOnePeriodAppliesNothing)
{
    Open(1);
    ToggleSound(1);
    EventCount hotkeys(dlg.get(), HotkeyEvent::EventType());
    // Right after a period applied the change, two presses land well within the next one.
    std::vector<int> applied{dlg->MuteApplied};
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (dlg->MuteApplied != applied.back())
            applied.push_back(dlg->MuteApplied);
    });
    watch.start(5);
    ASSERT_TRUE(PressKeys(QStringLiteral("ctrl+s ctrl+s")));
    ASSERT_EVENTUALLY(hotkeys.count == 2, 3000);
    EXPECT_EQ(dlg->MuteRequested, 1);
    // The window's one timer is the period's: two of its ticks after the presses, the
    // period that would apply them has run.
    EventCount ticks(dlg.get(), QEvent::Timer);
    ASSERT_EVENTUALLY(ticks.count >= 2, 3000);
    EXPECT_EQ(applied, std::vector<int>{1});
    EXPECT_TRUE(GamePageList::Instance().Pages.at(0)->View()->page()->isAudioMuted());
}

TEST_F(HotkeyWindowTest, ACombinationAnotherProgramHoldsIsLeftOutSilently)
{
    X11TestClient other;
    ASSERT_TRUE(other.Grab(QStringLiteral("F9"), X11TestClient::kControl | X11TestClient::kNumLock));
    GameTestSupport::MessageBoxAnswerer answer(IDOK);
    Open(2);
    EXPECT_EQ(RegisteredHotkey(BossKeyId), kNotRegistered);
    PressKeys(QStringLiteral("ctrl+F9"));
    PressKeys(QStringLiteral("ctrl+Tab"));
    ASSERT_EVENTUALLY(dlg->Tabs()->GetCurSel() == 0);
    ToggleSound(1);
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_TRUE(answer.texts.isEmpty());
}

TEST_F(HotkeyWindowTest, MutingSilencesTheGamePagesAndUnmutingBringsTheSoundBack)
{
    PulseAudioServer pulse;
    ASSERT_TRUE(pulse.IsRunning()) << "pulseaudio could not start";
    ASSERT_TRUE(pulse.StartRecording());
    Open(1, QStringLiteral("/tone"));
    CGameWnd *page = dlg->Tabs()->CurrentPage();
    ASSERT_EVENTUALLY(!page->View()->page()->isLoading());
    ASSERT_EVENTUALLY(ClickStartsTone(page), 15000) << "the page did not start its tone";
    const auto loud = [&] { return pulse.RecentRms(kWindowMs) > kLoud; };
    const auto silent = [&] { return pulse.RecentRms(kWindowMs) == 0; };
    ASSERT_EVENTUALLY(loud(), 15000) << "the page's tone never reached the sink: " << pulse.RecentRms(kWindowMs);
    const double before = pulse.RecentRms(kWindowMs);

    ToggleSound(1);
    pulse.Forget();
    ASSERT_EVENTUALLY(silent(), 5000) << "still " << pulse.RecentRms(kWindowMs);
    // And it stays silent while the sink plays on.
    pulse.Forget();
    ASSERT_EVENTUALLY(pulse.RecentRms(kSilentSpanMs) >= 0, 5000) << "the sink recorded nothing";
    EXPECT_EQ(pulse.RecentRms(kSilentSpanMs), 0);

    // A page opened while muted is silent from its start, however loud it plays.
    CGameWnd *second = Enter(QStringLiteral("/tone?hz=660"), 2);
    dlg->Tabs()->ShowNewestPage();
    EXPECT_TRUE(second->View()->page()->isAudioMuted());
    ASSERT_EVENTUALLY(second->isVisible() && !second->View()->page()->isLoading());
    ASSERT_EVENTUALLY(ClickStartsTone(second), 15000) << "the second page did not start its tone";
    pulse.Forget();
    ASSERT_EVENTUALLY(pulse.RecentRms(kSilentSpanMs) >= 0, 5000) << "the sink recorded nothing";
    EXPECT_EQ(pulse.RecentRms(kSilentSpanMs), 0);

    ToggleSound(0);
    pulse.Forget();
    ASSERT_EVENTUALLY(loud(), 5000) << "the sound did not come back: " << pulse.RecentRms(kWindowMs);
    std::printf("recorded loudness (RMS of 16-bit samples): playing %.0f, muted 0, unmuted %.0f\n", before,
                pulse.RecentRms(kWindowMs));

    // The sound button does the same.
    dlg->Button(GameLayout::kSoundButton)->click();
    ASSERT_EVENTUALLY(dlg->MuteApplied == 1, 3000);
    pulse.Forget();
    ASSERT_EVENTUALLY(silent(), 5000);
}

} // namespace
