#include <QObject>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include "platform/GlobalHotkeys.h"
#include "platform/HotkeyEvent.h"
#include "support/Wait.h"
#include "support/X11TestClient.h"

namespace {

constexpr int kAlt = 1, kCtrl = 2, kShift = 4;
constexpr int VK_TAB = 9, VK_S = 83, VK_F9 = 120, VK_F12 = 123;

// A window that records the hotkeys it receives.
class Receiver : public QObject
{
public:
    std::vector<int> ids;

protected:
    bool event(QEvent *event) override
    {
        if (event->type() != HotkeyEvent::EventType())
            return QObject::event(event);
        ids.push_back(static_cast<HotkeyEvent *>(event)->Id());
        return true;
    }
};

class GlobalHotkeysTest : public testing::Test
{
protected:
    void TearDown() override
    {
        for (int id = 1; id <= 4; ++id)
            UnregisterHotKey(&receiver, id);
        x11.SetLock(QStringLiteral("Num_Lock"), X11TestClient::kNumLock, false);
        x11.SetLock(QStringLiteral("Caps_Lock"), X11TestClient::kLock, false);
    }

    // Presses `keys` and waits until `count` hotkeys arrived in all.
    void PressAndExpect(const QString &keys, std::size_t count)
    {
        ASSERT_TRUE(PressKeys(keys));
        ASSERT_EVENTUALLY(receiver.ids.size() >= count, 3000) << keys.toStdString();
    }

    Receiver receiver;
    X11TestClient x11;
};

TEST_F(GlobalHotkeysTest, EachCombinationFiresWithTheLocksInAnyState)
{
    ASSERT_TRUE(RegisterHotKey(&receiver, 1, kCtrl, VK_F9));
    ASSERT_TRUE(RegisterHotKey(&receiver, 2, kCtrl, VK_TAB));
    ASSERT_TRUE(RegisterHotKey(&receiver, 3, kCtrl, VK_S));
    ASSERT_TRUE(RegisterHotKey(&receiver, 4, kCtrl | kShift | kAlt, VK_F12));

    struct Locks { bool num, caps; };
    std::vector<int> expected;
    for (const Locks locks : {Locks{false, false}, Locks{true, false}, Locks{false, true}, Locks{true, true}}) {
        ASSERT_TRUE(x11.SetLock(QStringLiteral("Num_Lock"), X11TestClient::kNumLock, locks.num));
        ASSERT_TRUE(x11.SetLock(QStringLiteral("Caps_Lock"), X11TestClient::kLock, locks.caps));
        PressAndExpect(QStringLiteral("ctrl+F9"), expected.size() + 1);
        PressAndExpect(QStringLiteral("ctrl+Tab"), expected.size() + 2);
        PressAndExpect(QStringLiteral("ctrl+s"), expected.size() + 3);
        PressAndExpect(QStringLiteral("ctrl+shift+alt+F12"), expected.size() + 4);
        expected.insert(expected.end(), {1, 2, 3, 4});
        EXPECT_EQ(receiver.ids, expected) << "num " << locks.num << " caps " << locks.caps;
    }

    // Other modifiers than the registered ones are another combination.
    PressKeys(QStringLiteral("shift+F9"));
    PressKeys(QStringLiteral("ctrl+alt+s"));
    PressAndExpect(QStringLiteral("ctrl+s"), expected.size() + 1);
    expected.push_back(3);
    EXPECT_EQ(receiver.ids, expected);
}

TEST_F(GlobalHotkeysTest, ACombinationAnotherClientHoldsIsRefusedAndItsGrabsReleased)
{
    X11TestClient other;
    // The other program holds Ctrl+F9 only with Caps Lock on: the plain variant can be
    // grabbed first, and must be given back when the Caps variant is refused.
    ASSERT_TRUE(other.Grab(QStringLiteral("F9"), X11TestClient::kControl | X11TestClient::kLock));
    EXPECT_FALSE(RegisterHotKey(&receiver, 1, kCtrl, VK_F9));
    EXPECT_TRUE(other.Grab(QStringLiteral("F9"), X11TestClient::kControl));
    EXPECT_TRUE(other.Grab(QStringLiteral("F9"), X11TestClient::kControl | X11TestClient::kNumLock));

    // The other keys are unaffected.
    ASSERT_TRUE(RegisterHotKey(&receiver, 2, kCtrl, VK_TAB));
    ASSERT_TRUE(RegisterHotKey(&receiver, 3, kCtrl, VK_S));
    PressAndExpect(QStringLiteral("ctrl+Tab"), 1);
    PressAndExpect(QStringLiteral("ctrl+s"), 2);
    EXPECT_EQ(receiver.ids, (std::vector<int>{2, 3}));
}

TEST_F(GlobalHotkeysTest, ACombinationIsRegisteredOnceAndReleasedByUnregisterOrTheWindowsEnd)
{
    ASSERT_TRUE(RegisterHotKey(&receiver, 1, kCtrl, VK_F9));
    Receiver second;
    EXPECT_FALSE(RegisterHotKey(&receiver, 2, kCtrl, VK_F9));
    EXPECT_FALSE(RegisterHotKey(&second, 1, kCtrl, VK_F9));
    EXPECT_TRUE(RegisterHotKey(&receiver, 2, kCtrl, VK_TAB));

    EXPECT_TRUE(UnregisterHotKey(&receiver, 1));
    EXPECT_FALSE(UnregisterHotKey(&receiver, 1));
    PressKeys(QStringLiteral("ctrl+F9"));
    PressAndExpect(QStringLiteral("ctrl+Tab"), 1);
    EXPECT_EQ(receiver.ids, std::vector<int>{2});

    // A window that ends takes its hotkeys along: the combination is free for others.
    auto *leaving = new Receiver;
    ASSERT_TRUE(RegisterHotKey(leaving, 1, kCtrl, VK_F9));
    X11TestClient other;
    EXPECT_FALSE(other.Grab(QStringLiteral("F9"), X11TestClient::kControl));
    delete leaving;
    EXPECT_TRUE(other.Grab(QStringLiteral("F9"), X11TestClient::kControl));
    EXPECT_TRUE(RegisterHotKey(&receiver, 1, kCtrl, VK_F12));
}

TEST_F(GlobalHotkeysTest, KeysAndModifiersOutsideTheTableAreRefused)
{
    EXPECT_FALSE(RegisterHotKey(&receiver, 1, kCtrl, 0));
    EXPECT_FALSE(RegisterHotKey(&receiver, 1, kCtrl, -1));
    EXPECT_FALSE(RegisterHotKey(&receiver, 1, kCtrl, 999));
    EXPECT_FALSE(RegisterHotKey(&receiver, 1, 8, VK_F9));
    EXPECT_FALSE(RegisterHotKey(&receiver, 1, -1, VK_F9));
    EXPECT_FALSE(RegisterHotKey(nullptr, 1, kCtrl, VK_F9));
}

// Runs xmodmap with `expressions`.
bool Xmodmap(const QStringList &expressions)
{
    QStringList arguments;
    for (const QString &expression : expressions)
        arguments << QStringLiteral("-e") << expression;
    return QProcess::execute(QStringLiteral("xmodmap"), arguments) == 0;
}

// The line of `xmodmap -pke` for the first keycode that carries `keySym`, and the first
// keycode that carries nothing.
std::pair<QString, int> MappingOf(const QString &keySym)
{
    QProcess xmodmap;
    xmodmap.start(QStringLiteral("xmodmap"), {QStringLiteral("-pke")});
    xmodmap.waitForFinished();
    QString line;
    int free = 0;
    for (const QString &l : QString::fromLatin1(xmodmap.readAllStandardOutput()).split('\n')) {
        const QStringList words = l.simplified().split(' ');
        if (words.size() == 3 && !free)
            free = words.at(1).toInt();
        if (words.size() > 3 && words.mid(3).contains(keySym) && line.isEmpty())
            line = l.simplified();
    }
    return {line, free};
}

TEST_F(GlobalHotkeysTest, AKeyThatMovesToAnotherKeycodeIsGrabbedThere)
{
    const auto [f9Line, freeCode] = MappingOf(QStringLiteral("F9"));
    ASSERT_FALSE(f9Line.isEmpty());
    ASSERT_NE(freeCode, 0);
    const QString f9Code = f9Line.section(' ', 1, 1);
    ASSERT_TRUE(RegisterHotKey(&receiver, 1, kCtrl, VK_F9));
    ASSERT_TRUE(Xmodmap({QStringLiteral("keycode %1 = NoSymbol").arg(f9Code),
                         QStringLiteral("keycode %1 = F9").arg(freeCode)}));
    TestWait::ProcessFor(300);
    PressKeys(QStringLiteral("ctrl+F9"));
    const bool fired = TestWait::Until([&] { return receiver.ids.size() == 1; }, 3000);
    EXPECT_TRUE(Xmodmap({QStringLiteral("keycode %1 = NoSymbol").arg(freeCode), f9Line}));
    EXPECT_TRUE(fired) << "F9 on keycode " << freeCode;

    // And back on its own keycode after the mapping returned.
    TestWait::ProcessFor(300);
    PressAndExpect(QStringLiteral("ctrl+F9"), 2);
    EXPECT_EQ(receiver.ids, (std::vector<int>{1, 1}));
}

TEST_F(GlobalHotkeysTest, ScrollLockIsCoveredOnWhicheverModifierTheMappingPutsIt)
{
    constexpr uint16_t kMod3 = 32;
    ASSERT_TRUE(RegisterHotKey(&receiver, 1, kCtrl, VK_F9));
    ASSERT_TRUE(Xmodmap({QStringLiteral("add mod3 = Scroll_Lock")}));
    TestWait::ProcessFor(300);
    X11TestClient other;
    const bool plainTaken = !other.Grab(QStringLiteral("F9"), X11TestClient::kControl | kMod3);
    const bool allLocksTaken = !other.Grab(
        QStringLiteral("F9"), X11TestClient::kControl | kMod3 | X11TestClient::kNumLock | X11TestClient::kLock);
    EXPECT_TRUE(Xmodmap({QStringLiteral("remove mod3 = Scroll_Lock")}));
    EXPECT_TRUE(plainTaken) << "Ctrl+F9 with Scroll Lock on is not grabbed";
    EXPECT_TRUE(allLocksTaken) << "Ctrl+F9 with every lock on is not grabbed";
    TestWait::ProcessFor(300);
    PressAndExpect(QStringLiteral("ctrl+F9"), 1);
}

} // namespace
