#include <sys/resource.h>

#include <csignal>

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QGroupBox>
#include <QLineEdit>
#include <QProcess>
#include <QWidget>

#include <QWindow>

#include <gtest/gtest.h>

#include "game/GameTestSupport.h"
#include "platform/GlobalHotkeys.h"
#include "settings/CSettingDlg.h"
#include "settings/HotkeySettings.h"
#include "skin/CBtnEx.h"
#include "skin/MessageBoxLayout.h"
#include "support/Wait.h"
#include "support/X11TestClient.h"

namespace {

// Clicks the middle of `widget` with the real pointer.
bool Click(QWidget *widget)
{
    const QPoint centre = widget->mapToGlobal(widget->rect().center());
    const bool ok = QProcess::execute(QStringLiteral("xdotool"),
                                      {QStringLiteral("mousemove"), QString::number(centre.x()),
                                       QString::number(centre.y()), QStringLiteral("click"), QStringLiteral("1")})
        == 0;
    TestWait::ProcessFor(150);
    return ok;
}

class SettingDlgTest : public testing::Test
{
protected:
    void SetUp() override
    {
        QFile::remove(HotkeySettingsPath());
        Store("[ycj]\nShortKey=4,65\nAltWndKey=2,9\nSndKey=2,83\n[Later]\nKept=1\n");
        host.setGeometry(100, 100, 400, 300);
        host.show();
        for (int id = BossKeyId; id <= SoundKeyId; ++id)
            RegisteredHotkey(id) = kNotRegistered;
        // The switch key is registered as the main window does at start.
        ASSERT_TRUE(RegisterHotKey(&host, SwitchKeyId, MOD_CONTROL, 9));
        RegisteredHotkey(SwitchKeyId) = {MOD_CONTROL, 9};
    }

    void TearDown() override
    {
        for (int id = BossKeyId; id <= SoundKeyId; ++id) {
            UnregisterHotKey(&host, id);
            RegisteredHotkey(id) = kNotRegistered;
        }
        QFile::remove(HotkeySettingsPath());
    }

    static void Store(const QByteArray &content)
    {
        QFile file(HotkeySettingsPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    static QString Stored(const char *key)
    {
        return SettingsFile::ReadValue(HotkeySettingsPath(), "ycj", key, QStringLiteral("missing"));
    }

    // Opens the dialog and gives the edit of `id` the focus with a real click.
    void Open(int id)
    {
        dlg = std::make_unique<CSettingDlg>(&host);
        dlg->show();
        // A window manager places the dialog once mapped: click only where it finally is.
        ASSERT_EVENTUALLY(dlg->isVisible() && dlg->Edit(id)->isVisible() && dlg->windowHandle()->isExposed());
        TestWait::ProcessFor(100);
        ASSERT_TRUE(Click(dlg->Edit(id)));
        ASSERT_EVENTUALLY(dlg->Edit(id)->hasFocus());
    }

    QString Text(int id) const { return dlg->Edit(id)->text(); }

    // Presses OK and waits until the dialog is gone.
    void Confirm()
    {
        ASSERT_TRUE(Click(dlg->Button(IDOK)));
        ASSERT_EVENTUALLY(!dlg->isVisible());
        EXPECT_EQ(dlg->result(), IDOK);
    }

    QWidget host;
    std::unique_ptr<CSettingDlg> dlg;
};

TEST_F(SettingDlgTest, OpensWithItsLayoutTextsAndTheCurrentHotkeys)
{
    Open(BossKeyId);
    EXPECT_EQ(dlg->size(), QSize(309, 349));
    EXPECT_EQ(dlg->windowTitle(), "设置");
    EXPECT_TRUE(dlg->windowFlags() & Qt::WindowStaysOnTopHint);
    // Registered pairs win over the file; the file speaks for those not registered.
    EXPECT_EQ(Text(BossKeyId), "Shift  +  A");
    EXPECT_EQ(Text(SwitchKeyId), "Ctrl  +  Tab");
    EXPECT_EQ(Text(SoundKeyId), "Ctrl  +  S");
    QStringList groups;
    for (const char *id : {"1006", "1010", "1014"})
        groups << dlg->findChild<QGroupBox *>(id)->title();
    EXPECT_EQ(groups, (QStringList{"老板键设置", "窗口切换键设置", "声音键设置"}));
    EXPECT_EQ(dlg->Button(IDOK)->m_strText, "确定");
    EXPECT_EQ(dlg->Button(IDCANCEL)->size(), QSize(74, 26));
}

TEST_F(SettingDlgTest, CtrlF9IsShownAndStoredAndRegistered)
{
    Open(BossKeyId);
    PressKeys(QStringLiteral("ctrl+F9"));
    EXPECT_EQ(Text(BossKeyId), "Ctrl  +  F9");
    Confirm();
    EXPECT_EQ(Stored("ShortKey"), "2,120");
    EXPECT_EQ(RegisteredHotkey(BossKeyId), (HotkeyPair{MOD_CONTROL, 120}));
    EXPECT_FALSE(RegisterHotKey(&host, 9, MOD_CONTROL, 120)) << "Ctrl+F9 is held by the main window now";
    // Untouched edits are stored as they show, the rest of the file stays.
    EXPECT_EQ(Stored("AltWndKey"), "2,9");
    EXPECT_EQ(SettingsFile::ReadValue(HotkeySettingsPath(), "Later", "Kept", {}), "1");
}

TEST_F(SettingDlgTest, AFileThatCannotBeWrittenStillRegistersKeepsTheOldFileAndSaysSo)
{
    GameTestSupport::MessageBoxAnswerer answer(IDOK);
    Open(BossKeyId);
    PressKeys(QStringLiteral("ctrl+F9"));
    // No file can grow past a few bytes, as on a full disk.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 16;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    Confirm();
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_EQ(RegisteredHotkey(BossKeyId), (HotkeyPair{MOD_CONTROL, 120}));
    EXPECT_EQ(Stored("ShortKey"), "4,65");
    EXPECT_EQ(SettingsFile::ReadValue(HotkeySettingsPath(), "Later", "Kept", {}), "1");
    // One message for the three keys, naming the file.
    ASSERT_EVENTUALLY(answer.texts.size() == 1);
    ASSERT_TRUE(TestWait::QueuedBeforeDelivered());
    EXPECT_EQ(answer.texts, QStringList{"设置未能保存到“" + HotkeySettingsPath() + "”，新的热键只在本次运行中有效。"});
    EXPECT_EQ(answer.titles.at(0), "岚汐翼川记");
}

TEST_F(SettingDlgTest, ModifiersAloneLeaveTheHotkeyAsItWas)
{
    Open(BossKeyId);
    PressKeys(QStringLiteral("ctrl"));
    EXPECT_EQ(Text(BossKeyId), "Ctrl  +  ");
    PressKeys(QStringLiteral("shift+1"));
    EXPECT_EQ(Text(BossKeyId), "Shift  +  1");
    PressKeys(QStringLiteral("ctrl+alt"));
    EXPECT_EQ(Text(BossKeyId), "Ctrl  +  Alt  +  ");
    Confirm();
    EXPECT_EQ(Stored("ShortKey"), "4,65");
    EXPECT_EQ(RegisteredHotkey(BossKeyId), kNotRegistered);
}

TEST_F(SettingDlgTest, BackspaceSwitchesTheHotkeyOffAndReleasesIt)
{
    Open(SwitchKeyId);
    PressKeys(QStringLiteral("ctrl+BackSpace"));
    EXPECT_EQ(Text(SwitchKeyId), "无");
    Confirm();
    EXPECT_EQ(Stored("AltWndKey"), "0,0");
    EXPECT_EQ(RegisteredHotkey(SwitchKeyId), kNotRegistered);
    X11TestClient other;
    EXPECT_TRUE(other.Grab(QStringLiteral("Tab"), X11TestClient::kControl));
}

TEST_F(SettingDlgTest, TabBelongsToTheSwitchEditOnly)
{
    UnregisterHotKey(&host, SwitchKeyId);
    Open(SwitchKeyId);
    PressKeys(QStringLiteral("ctrl+shift+Tab"));
    EXPECT_EQ(Text(SwitchKeyId), "Ctrl  +  Shift  +  Tab");
    EXPECT_TRUE(dlg->Edit(SwitchKeyId)->hasFocus());

    ASSERT_TRUE(Click(dlg->Edit(BossKeyId)));
    PressKeys(QStringLiteral("Tab"));
    EXPECT_EQ(Text(BossKeyId), "");
    EXPECT_TRUE(dlg->Edit(BossKeyId)->hasFocus()) << "Tab must not move the focus";
    PressKeys(QStringLiteral("F12"));
    EXPECT_EQ(Text(BossKeyId), "无");
    Confirm();
    EXPECT_EQ(Stored("AltWndKey"), "6,9");
    EXPECT_EQ(Stored("ShortKey"), "0,0");
}

// Notes the middle-button releases a widget receives.
class MiddleClickWatch : public QObject
{
public:
    int releases = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        releases += event->type() == QEvent::MouseButtonRelease
            && static_cast<QMouseEvent *>(event)->button() == Qt::MiddleButton;
        return false;
    }
};

TEST_F(SettingDlgTest, TextPastedWithTheMiddleButtonNeverReachesAnEdit)
{
    Open(SoundKeyId);
    QGuiApplication::clipboard()->setText(QStringLiteral("F9"), QClipboard::Selection);
    ASSERT_EVENTUALLY(QGuiApplication::clipboard()->text(QClipboard::Selection) == "F9");
    MiddleClickWatch watch;
    dlg->Edit(SoundKeyId)->installEventFilter(&watch);
    const QPoint centre = dlg->Edit(SoundKeyId)->mapToGlobal(dlg->Edit(SoundKeyId)->rect().center());
    QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QString::number(centre.x()),
                                                  QString::number(centre.y()), QStringLiteral("click"),
                                                  QStringLiteral("2")});
    ASSERT_EVENTUALLY(watch.releases == 1);
    TestWait::ProcessFor(200);
    EXPECT_EQ(Text(SoundKeyId), "Ctrl  +  S");
}

TEST_F(SettingDlgTest, EscAndEnterNeverCloseIt)
{
    Open(SoundKeyId);
    for (const char *key : {"Escape", "Return", "KP_Enter"}) {
        PressKeys(QString::fromLatin1(key));
        EXPECT_TRUE(dlg->isVisible()) << key;
        EXPECT_EQ(Text(SoundKeyId), "Ctrl  +  S") << key;
    }
    // Also when no edit has the focus.
    dlg->setFocus();
    PressKeys(QStringLiteral("Escape"));
    PressKeys(QStringLiteral("Return"));
    EXPECT_TRUE(dlg->isVisible());
    ASSERT_TRUE(Click(dlg->Button(IDCANCEL)));
    ASSERT_EVENTUALLY(!dlg->isVisible());
    EXPECT_EQ(dlg->result(), IDCANCEL);
    EXPECT_EQ(Stored("SndKey"), "2,83");
}

TEST_F(SettingDlgTest, ACombinationAnotherProgramHoldsIsReportedAndNotStored)
{
    GameTestSupport::MessageBoxAnswerer answer(IDOK);
    Open(SoundKeyId);
    PressKeys(QStringLiteral("ctrl+d"));
    ASSERT_EQ(Text(SoundKeyId), "Ctrl  +  D");
    ASSERT_TRUE(Click(dlg->Edit(BossKeyId)));
    PressKeys(QStringLiteral("ctrl+F9"));
    // Another program takes Ctrl+D before OK is pressed.
    X11TestClient other;
    ASSERT_TRUE(other.Grab(QStringLiteral("d"), X11TestClient::kControl));
    Confirm();
    ASSERT_EVENTUALLY(answer.texts.size() == 1);
    EXPECT_EQ(answer.texts.at(0), "重置声音键失败，可能与其他窗口热键冲突！原声音键也已经失效，请重置！");
    EXPECT_EQ(answer.titles.at(0), "岚汐翼川记");
    EXPECT_EQ(Stored("SndKey"), "2,83");
    EXPECT_EQ(RegisteredHotkey(SoundKeyId), kNotRegistered);
    // The others were still applied.
    EXPECT_EQ(Stored("ShortKey"), "2,120");
    EXPECT_EQ(RegisteredHotkey(BossKeyId), (HotkeyPair{MOD_CONTROL, 120}));
}

} // namespace
