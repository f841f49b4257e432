#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "app/InstanceChannel.h"
#include "game/GameTestSupport.h"
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
    QString Await(const QString &prefix)
    {
        QString found;
        TestWait::Until(
            [&] {
                while (m_process.canReadLine()) {
                    const QString line = QString::fromUtf8(m_process.readLine()).trimmed();
                    if (line.startsWith(prefix)) {
                        found = line;
                        return true;
                    }
                }
                m_process.waitForReadyRead(20);
                return false;
            },
            30000);
        return found;
    }

    void Send(const QByteArray &command) { m_process.write(command + '\n'); }
    QString State()
    {
        Send("state");
        return Await("state ");
    }

private:
    QProcess m_process;
};

class GameInstanceTest : public testing::Test
{
protected:
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
    // The others toggled without passing it on: once every instance has answered a
    // later message (so has taken in whatever was sent before it), a stays hidden.
    for (const QString &endpoint : InstanceChannel::Endpoints())
        ASSERT_TRUE(InstanceChannel::Post(endpoint, 0, true, 5000));
    EXPECT_TRUE(a.State().contains("visible=0"));

    b.Send("boss");
    for (Instance *instance : {&a, &b, &c})
        EXPECT_EVENTUALLY(instance->State().contains("visible=1"));
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
