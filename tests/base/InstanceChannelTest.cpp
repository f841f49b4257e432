#include "base/InstanceChannel.h"

#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

// Each test gets its own endpoint folder through TMPDIR (with no runtime folder), which
// child processes inherit.
class InstanceChannelTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_tmp.isValid());
        qputenv("TMPDIR", QFile::encodeName(m_tmp.path()));
        qunsetenv("XDG_RUNTIME_DIR");
    }

    // The folder the endpoints go to under this test's TMPDIR, not yet created.
    QString TmpFolder() const { return m_tmp.filePath("Fenlow_ycj-" + QString::number(getuid())); }

    // A foreign listener planted in `folder`, as another local user could: the channel
    // must never talk to it.
    static void ExpectRefused(const QString &folder)
    {
        QLocalServer planted;
        planted.setSocketOptions(QLocalServer::WorldAccessOption);
        ASSERT_TRUE(planted.listen(folder + "/1.sock"));
        EXPECT_TRUE(InstanceChannel::Directory().isEmpty());
        EXPECT_TRUE(InstanceChannel::Endpoints().isEmpty());
        EXPECT_FALSE(InstanceChannel::AnyInstanceRunning());
        EXPECT_FALSE(InstanceChannel::HandOver());
        EXPECT_EQ(InstanceChannel::Broadcast(kToggleMessage, QString(), 10), 0);
        InstanceEndpoint own;
        EXPECT_FALSE(own.Listen());
        // Every call above has returned: a connection it made would be waiting now.
        EXPECT_FALSE(planted.waitForNewConnection(0));
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
        m_lastPath = QFile::decodeName(line.mid(10));
        m_listeners.push_back(std::move(process));
        return m_listeners.back().get();
    }

    // Starts a listener and kills it outright, leaving its endpoint behind as a crashed
    // instance would. The endpoint is dated a minute back, as one left by an instance
    // that ended earlier: endpoints made within one tick of the file system's clock
    // share a time, and their order is then the order of their names.
    bool LeaveDeadEndpoint()
    {
        QProcess *listener = StartListener();
        if (!listener)
            return false;
        ::kill(static_cast<pid_t>(listener->processId()), SIGKILL);
        if (!listener->waitForFinished())
            return false;
        const timespec earlier{::time(nullptr) - 60, 0};
        const timespec times[2]{earlier, earlier};
        return ::utimensat(AT_FDCWD, QFile::encodeName(m_lastPath).constData(), times, AT_SYMLINK_NOFOLLOW) == 0;
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
    QString m_lastPath; // the endpoint of the last listener started
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

TEST_F(InstanceChannelTest, FolderOthersMayWriteIsRefused)
{
    ASSERT_TRUE(QDir().mkpath(TmpFolder()));
    ASSERT_EQ(::chmod(QFile::encodeName(TmpFolder()).constData(), 0777), 0);
    ExpectRefused(TmpFolder());
}

TEST_F(InstanceChannelTest, LinkInPlaceOfTheFolderIsRefused)
{
    const QString elsewhere = m_tmp.filePath("elsewhere");
    ASSERT_TRUE(QDir().mkpath(elsewhere));
    ASSERT_EQ(::chmod(QFile::encodeName(elsewhere).constData(), 0700), 0);
    ASSERT_TRUE(QFile::link(elsewhere, TmpFolder()));
    ExpectRefused(elsewhere);
}

TEST_F(InstanceChannelTest, FolderOfAnotherUserIsRefused)
{
    if (getuid() != 0)
        GTEST_SKIP() << "giving a folder to another user needs root";
    ASSERT_TRUE(QDir().mkpath(TmpFolder()));
    const QByteArray native = QFile::encodeName(TmpFolder());
    ASSERT_EQ(::chmod(native.constData(), 0700), 0);
    ASSERT_EQ(::chown(native.constData(), 65534, 65534), 0);
    ExpectRefused(TmpFolder());
}

TEST_F(InstanceChannelTest, OnlySocketsCountAsEndpoints)
{
    QProcess *listener = StartListener();
    ASSERT_NE(listener, nullptr);
    QFile plain(TmpFolder() + "/1.sock");
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    ASSERT_TRUE(QDir().mkpath(TmpFolder() + "/2.sock"));

    EXPECT_EQ(InstanceChannel::Endpoints().size(), 1);
    EXPECT_TRUE(InstanceChannel::HandOver());
    EXPECT_EQ(NextMessage(listener), "1026");
    EXPECT_TRUE(plain.exists());
}

TEST_F(InstanceChannelTest, LongTemporaryFolderStillGivesAReachableEndpoint)
{
    QString deep = m_tmp.path();
    while (deep.size() < 150)
        deep += "/a-rather-long-folder-name";
    ASSERT_TRUE(QDir().mkpath(deep));
    qputenv("TMPDIR", QFile::encodeName(deep));

    // The endpoint falls back to the short, shared /tmp folder, where other instances of
    // this user may live: the test talks to its own listener only.
    QProcess *listener = StartListener();
    ASSERT_NE(listener, nullptr);
    EXPECT_LT(QFile::encodeName(m_lastPath).size(), 108);
    EXPECT_TRUE(InstanceChannel::Endpoints().contains(m_lastPath));
    EXPECT_TRUE(InstanceChannel::Post(m_lastPath, kHandOverMessage, true, 2000));
    EXPECT_EQ(NextMessage(listener), "1026");
}

TEST_F(InstanceChannelTest, RuntimeFolderIsPreferred)
{
    const QString runtime = m_tmp.filePath("run");
    ASSERT_TRUE(QDir().mkpath(runtime));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));

    QProcess *listener = StartListener();
    ASSERT_NE(listener, nullptr);
    EXPECT_EQ(InstanceChannel::Directory(), runtime + "/Fenlow_ycj");
    ASSERT_EQ(InstanceChannel::Endpoints().size(), 1);
    EXPECT_TRUE(InstanceChannel::Endpoints().at(0).startsWith(runtime + "/Fenlow_ycj/"));
    EXPECT_FALSE(QFileInfo::exists(TmpFolder()));
    EXPECT_TRUE(InstanceChannel::HandOver());
    EXPECT_EQ(NextMessage(listener), "1026");
}

} // namespace
