#include "app/InstanceChannel.h"

#include <csignal>
#include <memory>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

// Each test gets its own endpoint folder through TMPDIR, which child processes inherit.
class InstanceChannelTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_tmp.isValid());
        qputenv("TMPDIR", QFile::encodeName(m_tmp.path()));
    }

    // Starts a real listener process and waits until its endpoint exists.
    QProcess *StartListener()
    {
        auto process = std::make_unique<QProcess>();
        process->start(FENLOW_BIN_DIR "/instance_listener", {});
        if (!process->waitForReadyRead(10000))
            return nullptr;
        const QByteArray line = process->readLine().trimmed();
        if (!line.startsWith("listening "))
            return nullptr;
        m_listeners.push_back(std::move(process));
        return m_listeners.back().get();
    }

    // Starts a listener and kills it outright, leaving its endpoint behind as a crashed
    // instance would.
    bool LeaveDeadEndpoint()
    {
        QProcess *listener = StartListener();
        if (!listener)
            return false;
        ::kill(static_cast<pid_t>(listener->processId()), SIGKILL);
        return listener->waitForFinished();
    }

    static QByteArray NextMessage(QProcess *listener)
    {
        if (!listener->canReadLine() && !listener->waitForReadyRead(5000))
            return {};
        return listener->readLine().trimmed();
    }

    void TearDown() override
    {
        for (auto &process : m_listeners) {
            process->kill();
            process->waitForFinished();
        }
    }

    QTemporaryDir m_tmp;
    std::vector<std::unique_ptr<QProcess>> m_listeners;
};

TEST_F(InstanceChannelTest, NoEndpointMeansNoRunningInstance)
{
    EXPECT_FALSE(InstanceChannel::AnyInstanceRunning());
    EXPECT_FALSE(InstanceChannel::HandOver());
}

TEST_F(InstanceChannelTest, HandOverReachesTheRunningInstance)
{
    QProcess *listener = StartListener();
    ASSERT_NE(listener, nullptr);
    EXPECT_TRUE(InstanceChannel::AnyInstanceRunning());
    EXPECT_TRUE(InstanceChannel::HandOver());
    EXPECT_EQ(NextMessage(listener), "1026");
}

TEST_F(InstanceChannelTest, CrashedInstanceDoesNotCountAndItsEndpointIsCleared)
{
    ASSERT_TRUE(LeaveDeadEndpoint());
    ASSERT_EQ(InstanceChannel::Endpoints().size(), 1);

    EXPECT_FALSE(InstanceChannel::AnyInstanceRunning());
    EXPECT_TRUE(InstanceChannel::Endpoints().isEmpty());
}

TEST_F(InstanceChannelTest, HandOverClearsADeadEndpoint)
{
    ASSERT_TRUE(LeaveDeadEndpoint());

    EXPECT_FALSE(InstanceChannel::HandOver());
    EXPECT_TRUE(InstanceChannel::Endpoints().isEmpty());
}

TEST_F(InstanceChannelTest, ProbingALiveInstanceLeavesItListening)
{
    QProcess *listener = StartListener();
    ASSERT_NE(listener, nullptr);
    EXPECT_TRUE(InstanceChannel::AnyInstanceRunning());
    EXPECT_TRUE(InstanceChannel::AnyInstanceRunning());
    EXPECT_TRUE(InstanceChannel::HandOver());
    EXPECT_EQ(NextMessage(listener), "1026");
}

TEST_F(InstanceChannelTest, HandOverSkipsAStaleEndpointForALiveOne)
{
    ASSERT_TRUE(LeaveDeadEndpoint());
    QProcess *live = StartListener();
    ASSERT_NE(live, nullptr);

    EXPECT_TRUE(InstanceChannel::HandOver());
    EXPECT_EQ(NextMessage(live), "1026");
    EXPECT_EQ(InstanceChannel::Endpoints().size(), 1);
}

TEST_F(InstanceChannelTest, SilentPeerDoesNotHangTheSender)
{
    // A stopped process keeps its socket open but never answers.
    QProcess *listener = StartListener();
    ASSERT_NE(listener, nullptr);
    ::kill(static_cast<pid_t>(listener->processId()), SIGSTOP);
    EXPECT_FALSE(InstanceChannel::HandOver());
    ::kill(static_cast<pid_t>(listener->processId()), SIGCONT);
}

TEST_F(InstanceChannelTest, BroadcastSkipsTheSenderAndStopsAtTheLimit)
{
    std::vector<QProcess *> listeners;
    for (int i = 0; i < 3; ++i) {
        listeners.push_back(StartListener());
        ASSERT_NE(listeners.back(), nullptr);
    }
    const QStringList endpoints = InstanceChannel::Endpoints();
    ASSERT_EQ(endpoints.size(), 3);

    EXPECT_EQ(InstanceChannel::Broadcast(kToggleMessage, endpoints.at(0), 10), 2);
    int received = 0;
    for (QProcess *listener : listeners)
        received += NextMessage(listener) == "1027";
    EXPECT_EQ(received, 2);

    EXPECT_EQ(InstanceChannel::Broadcast(kToggleMessage, QString(), 1), 1);
}

TEST_F(InstanceChannelTest, GarbageFromAPeerIsIgnored)
{
    QProcess *listener = StartListener();
    ASSERT_NE(listener, nullptr);
    QLocalSocket socket;
    socket.connectToServer(InstanceChannel::Endpoints().value(0));
    ASSERT_TRUE(socket.waitForConnected(2000));
    socket.write("hello\n" + QByteArray(200, 'x') + "\n");
    socket.waitForBytesWritten(2000);
    socket.disconnectFromServer();
    EXPECT_TRUE(InstanceChannel::HandOver());
    EXPECT_EQ(NextMessage(listener), "1026");
}

} // namespace
