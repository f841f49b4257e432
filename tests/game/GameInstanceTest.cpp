#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "base/InstanceChannel.h"
#include "game/GameTestSupport.h"
#include "platform/X11TestClient.h"
#include "support/ProbeChannel.h"
#include "support/Wait.h"

using namespace GameTestSupport;

namespace {

// One running main window in a probe process.
class Instance
{
public:
    explicit Instance(int pages)
    {
        m_process.setProgram(QStringLiteral(FENLOW_BIN_DIR "/game-window-probe"));
        m_process.setArguments({QString::number(pages)});
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start();
    }
    ~Instance()
    {
        m_process.closeWriteChannel();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
        m_process.waitForFinished(2000);
    }

    // The next line that starts with `prefix`.
    QString Await(const QString &prefix) { return ProbeChannel::AwaitLine(m_process, prefix); }

    void Send(const QByteArray &command) { m_process.write(command + '\n'); }
    QString State()
    {
        Send("state");
        return Await("state ");
    }
    // How many hide-or-restore messages of other instances this one took.
    int Toggles()
    {
        const QString state = State();
        const qsizetype at = state.indexOf(QStringLiteral(" toggles="));
        return at < 0 ? -1 : state.mid(at + 9).section(QLatin1Char(' '), 0, 0).toInt();
    }

private:
    QProcess m_process;
};

class GameInstanceTest : public testing::Test
{
protected:
    // Once every endpoint has answered a later message, each instance has taken in the
    // messages sent to it before that one, also those an instance passed on wrongly.
    static void AwaitEveryEndpoint()
    {
        for (const QString &endpoint : InstanceChannel::Endpoints())
            ASSERT_TRUE(InstanceChannel::Post(endpoint, 0, true, 5000)) << endpoint.toStdString();
    }

    void SetUp() override
    {
        qputenv("TMPDIR", m_temp.path().toUtf8());
        qunsetenv("XDG_RUNTIME_DIR");
        qputenv("HOME", m_temp.path().toUtf8());
    }

    QTemporaryDir m_temp;
};

TEST_F(GameInstanceTest, BossKeyHidesAndRestoresEveryInstanceOnce)
{
    Instance a(1), b(1), c(1);
    for (Instance *instance : {&a, &b, &c})
        ASSERT_FALSE(instance->Await("ready ").isEmpty());
    ASSERT_EQ(InstanceChannel::Endpoints().size(), 3);

    a.Send("boss");
    for (Instance *instance : {&a, &b, &c})
        EXPECT_EVENTUALLY(instance->State().contains("visible=0"));
    // The others toggled without passing it on: each heard a's message alone, and a
    // heard none.
    ASSERT_NO_FATAL_FAILURE(AwaitEveryEndpoint());
    EXPECT_EQ(a.Toggles(), 0);
    EXPECT_EQ(b.Toggles(), 1);
    EXPECT_EQ(c.Toggles(), 1);
    EXPECT_TRUE(a.State().contains("visible=0"));

    b.Send("boss");
    for (Instance *instance : {&a, &b, &c})
        EXPECT_EVENTUALLY(instance->State().contains("visible=1"));
}

TEST_F(GameInstanceTest, TheBossKeyOnTheKeyboardHidesAndRestoresEveryInstance)
{
    // All three read the default keys; the first to register holds Ctrl+F9.
    QFile::remove(QStringLiteral(FENLOW_BIN_DIR "/Statistic.ini"));
    X11TestClient x11;
    ASSERT_TRUE(x11.SetLock(QStringLiteral("Num_Lock"), X11TestClient::kNumLock, true));
    Instance a(1), b(1), c(1);
    for (Instance *instance : {&a, &b, &c})
        ASSERT_FALSE(instance->Await("ready ").isEmpty());

    ASSERT_TRUE(PressKeys(QStringLiteral("ctrl+F9")));
    for (Instance *instance : {&a, &b, &c})
        EXPECT_EVENTUALLY(instance->State().contains("visible=0"));
    // The instance that holds the key tells the two others, who pass nothing on: two
    // messages in all, and no instance undid its hiding.
    ASSERT_NO_FATAL_FAILURE(AwaitEveryEndpoint());
    EXPECT_EQ(a.Toggles() + b.Toggles() + c.Toggles(), 2);
    for (Instance *instance : {&a, &b, &c}) {
        EXPECT_LE(instance->Toggles(), 1);
        EXPECT_TRUE(instance->State().contains("visible=0"));
    }

    ASSERT_TRUE(PressKeys(QStringLiteral("ctrl+F9")));
    for (Instance *instance : {&a, &b, &c})
        EXPECT_EVENTUALLY(instance->State().contains("visible=1"));
    x11.SetLock(QStringLiteral("Num_Lock"), X11TestClient::kNumLock, false);
}

TEST_F(GameInstanceTest, HandOverOpensOneFurtherLoginOverTheRunningWindow)
{
    Instance running(1);
    ASSERT_FALSE(running.Await("ready ").isEmpty());
    ASSERT_TRUE(InstanceChannel::HandOver());
    ASSERT_EVENTUALLY(running.State().contains("logins=1"));

    // A second start while that login is open changes nothing.
    // The answer means the message arrived; the state asked for after it follows its
    // handling.
    ASSERT_TRUE(InstanceChannel::HandOver());
    EXPECT_TRUE(running.State().contains("logins=1"));

    // Abandoning the login leaves the pages as they were.
    running.Send("close-modal");
    EXPECT_EVENTUALLY(running.State().contains("logins=0 pages=1"));
}

TEST_F(GameInstanceTest, HandOverRestoresAHiddenWindowBeforeTheFurtherLogin)
{
    // No tray runs here: once hidden, only the boss key or a second start brings it back.
    Instance running(1);
    ASSERT_FALSE(running.Await("ready ").isEmpty());
    running.Send("hide");
    ASSERT_EVENTUALLY(running.State().contains("visible=0"));
    ASSERT_TRUE(InstanceChannel::HandOver());
    EXPECT_EVENTUALLY(running.State().contains("visible=1 logins=1"));
    running.Send("close-modal");
    EXPECT_EVENTUALLY(running.State().contains("visible=1 logins=0 pages=1"));
}

TEST_F(GameInstanceTest, HandOverAtThreePagesShowsTheLimitInstead)
{
    Instance running(3);
    ASSERT_FALSE(running.Await("ready ").isEmpty());
    ASSERT_TRUE(InstanceChannel::HandOver());
    ASSERT_EVENTUALLY(running.State().contains("message=当前窗体只支持3个游戏页"));
    EXPECT_TRUE(running.State().contains("logins=0 pages=3"));
    running.Send("close-modal");
}

} // namespace
