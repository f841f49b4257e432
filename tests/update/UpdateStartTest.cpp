// The real launcher's update at start: an installed copy started with "/ycjD" against the
// demo platform, which offers a newer build of the same sources, and against update
// servers that are dead or never answer.
#include <signal.h>
#include <cstring>

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include "support/FaultHttpServer.h"
#include "support/PrivateHome.h"
#include "support/Wait.h"

namespace {

QByteArray Md5Of(const QString &path)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Md5);
    return file.open(QIODevice::ReadOnly) && hash.addData(&file) ? hash.result().toHex() : QByteArray();
}

// Processes running the file at `path`, with their argument counts.
QList<QPair<qint64, int>> ProcessesRunning(const QString &path)
{
    QList<QPair<qint64, int>> found;
    for (const QString &entry : QDir("/proc").entryList(QDir::Dirs)) {
        bool ok = false;
        const qint64 pid = entry.toLongLong(&ok);
        if (!ok || QFile::symLinkTarget("/proc/" + entry + "/exe") != path)
            continue;
        QFile cmdline("/proc/" + entry + "/cmdline");
        if (cmdline.open(QIODevice::ReadOnly))
            found.append({pid, int(cmdline.readAll().count('\0'))});
    }
    return found;
}

bool HasVisibleWindow(qint64 pid)
{
    QProcess tool;
    tool.start("xdotool", {"search", "--onlyvisible", "--pid", QString::number(pid)});
    return tool.waitForFinished(5000) && !tool.readAllStandardOutput().trimmed().isEmpty();
}

class UpdateStartTest : public testing::Test
{
protected:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("DISPLAY"))
            GTEST_SKIP() << "needs an X display";
        ASSERT_TRUE(m_home.isValid());
        m_env = PrivateHomeEnvironment(m_home);
        ASSERT_FALSE(m_env.isEmpty());
        ASSERT_TRUE(QDir().mkpath(Folder()));
        ASSERT_TRUE(QFile::copy(FENLOW_BIN_DIR "/fenlow", Installed()));
    }

    void TearDown() override
    {
        for (const qint64 pid : m_started)
            ::kill(pid_t(pid), SIGKILL);
        for (const auto &[pid, arguments] : ProcessesRunning(Installed()))
            ::kill(pid_t(pid), SIGKILL);
    }

    QString Folder() const { return m_home.filePath("data/岚汐/ViziDuved"); }
    QString Installed() const { return Folder() + "/fenlow"; }

    // `publicKey`: the [Update] PublicKey line's value; none when null.
    void WritePlatformIni(const QString &resourceOrigin, int appsPort, const QString &publicKey = {})
    {
        QFile ini(Folder() + "/Platform.ini");
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("[Hosts]\nApps=http://www.qovan.localhost:" + QByteArray::number(appsPort)
                  + "\nResource=" + resourceOrigin.toUtf8() + "\n");
        if (!publicKey.isNull())
            ini.write("[Update]\nPublicKey=" + publicKey.toLatin1() + "\n");
    }

    // The files in the install folder, sorted without case.
    std::string FolderFiles() const
    {
        return QDir(Folder()).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase).join(' ').toStdString();
    }

    static int DemoPort() { return qEnvironmentVariableIntValue("FENLOW_DEMO_PORT"); }
    static QString DemoPublicKey() { return qEnvironmentVariable("FENLOW_DEMO_PUBLIC_KEY"); }

    // What a start that shows no window left behind, for the failure message.
    std::string StateOf(qint64 pid) const
    {
        const bool running = QFile::exists("/proc/" + QString::number(pid));
        QFile report(Folder() + "/fenlow.dmp");
        const QByteArray crash = report.open(QIODevice::ReadOnly) ? report.read(40000) : QByteArray();
        return std::string(running ? "still running" : "ended") + "; install folder: " + FolderFiles() + "\n"
            + crash.toStdString();
    }

    // Starts the installed copy; answers its process id. Its standard error goes to
    // StandardError().
    qint64 Start(const QStringList &arguments)
    {
        qint64 pid = 0;
        QProcess process;
        process.setProcessEnvironment(m_env);
        process.setProgram(Installed());
        process.setArguments(arguments);
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(m_home.filePath("stderr"));
        if (process.startDetached(&pid))
            m_started.append(pid);
        return pid;
    }


    QByteArray StandardError() const
    {
        QFile file(m_home.filePath("stderr"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir m_home;
    QProcessEnvironment m_env;
    QList<qint64> m_started;
};

TEST_F(UpdateStartTest, TheDemoPlatformsSignedNewerBuildReplacesTheInstalledCopy)
{
    ASSERT_NE(DemoPort(), 0) << "needs the demo platform (FENLOW_DEMO_PORT)";
    ASSERT_FALSE(DemoPublicKey().isEmpty()) << "needs the demo platform's key (FENLOW_DEMO_PUBLIC_KEY)";
    WritePlatformIni("http://ycj.res.qovan.localhost:" + QString::number(DemoPort()), DemoPort(), DemoPublicKey());
    const QByteArray oldBuild = Md5Of(Installed());
    const QByteArray newBuild = Md5Of(FENLOW_BIN_DIR "/fenlow-next");
    ASSERT_NE(oldBuild, newBuild);

    const qint64 first = Start({"/ycjD"});
    ASSERT_GT(first, 0);
    // The first process ends once the new build runs under its name.
    ASSERT_EVENTUALLY(QFile::symLinkTarget("/proc/" + QString::number(first) + "/exe") != Installed(), 30000);
    EXPECT_EQ(Md5Of(Installed()), newBuild);
    EXPECT_EQ(Md5Of(Folder() + "/Oldycj.exe"), oldBuild);
    EXPECT_FALSE(QFile::exists(Folder() + "/Newycj.exe"));
    EXPECT_TRUE(QFile::exists(m_home.filePath("config/岚汐/ViziDuved/ycj/UpdTime")));

    // The new build runs with no arguments and opens the login window.
    ASSERT_EVENTUALLY(!ProcessesRunning(Installed()).isEmpty(), 30000);
    const auto [next, arguments] = ProcessesRunning(Installed()).first();
    EXPECT_EQ(arguments, 1);
    ASSERT_EVENTUALLY(HasVisibleWindow(next), 30000);
    ::kill(pid_t(next), SIGKILL);

    // The next start finds the update done for today and removes the previous executable.
    const qint64 again = Start({"/ycjD"});
    ASSERT_EVENTUALLY(HasVisibleWindow(again), 30000);
    EXPECT_FALSE(QFile::exists(Folder() + "/Oldycj.exe"));
    EXPECT_EQ(Md5Of(Installed()), newBuild);
}

TEST_F(UpdateStartTest, AKeyOtherThanTheDemoPlatformsOrAnInvalidOneLeavesTheCopyAsItWas)
{
    ASSERT_NE(DemoPort(), 0) << "needs the demo platform (FENLOW_DEMO_PORT)";
    const QByteArray build = Md5Of(Installed());
    // Another platform's key, then one that is no key at all.
    for (const QString &key : {QString("qjFDhKSMxQ6bNsn0JaXFf7k3R0Vv3mXy5fQmM4r/oA4="), QString("not a key")}) {
        SCOPED_TRACE(key.toStdString());
        WritePlatformIni("http://ycj.res.qovan.localhost:" + QString::number(DemoPort()), DemoPort(), key);
        const qint64 pid = Start({"/ycjD"});
        ASSERT_EVENTUALLY(HasVisibleWindow(pid), 30000) << StateOf(pid);
        EXPECT_EQ(Md5Of(Installed()), build);
        EXPECT_EQ(FolderFiles(), "fenlow Platform.ini");
        EXPECT_EQ(StandardError().contains("PublicKey"), key == "not a key") << StandardError().toStdString();
        ::kill(pid_t(pid), SIGKILL);
        ASSERT_EVENTUALLY(!QFile::exists("/proc/" + QString::number(pid)));
    }
}

TEST_F(UpdateStartTest, AnUpdateServerThatNeverAnswersOnlyDelaysTheStart)
{
    ASSERT_NE(DemoPort(), 0) << "needs the demo platform (FENLOW_DEMO_PORT)";
    FaultHttpServer server;
    FaultHttpServer::Reply silent;
    silent.mode = FaultHttpServer::Mode::Silent;
    server.Set("/wd/qovan/ycjWDUpdate.htm", silent);
    WritePlatformIni("http://127.0.0.1:" + QString::number(server.Port()), DemoPort());
    const QByteArray build = Md5Of(Installed());

    const qint64 pid = Start({"/ycjD"});
    ASSERT_EVENTUALLY(HasVisibleWindow(pid), 30000) << StateOf(pid);
    EXPECT_EQ(server.Hits("/wd/qovan/ycjWDUpdate.htm"), 1);
    EXPECT_EQ(Md5Of(Installed()), build);
    EXPECT_EQ(FolderFiles(), "fenlow Platform.ini");
}

TEST_F(UpdateStartTest, ADeadUpdateServerLeavesTheStartAsItWas)
{
    ASSERT_NE(DemoPort(), 0) << "needs the demo platform (FENLOW_DEMO_PORT)";
    QString origin;
    {
        const FaultHttpServer gone;
        origin = "http://127.0.0.1:" + QString::number(gone.Port());
    }
    WritePlatformIni(origin, DemoPort());
    const qint64 pid = Start({"/ycjD"});
    ASSERT_EVENTUALLY(HasVisibleWindow(pid), 30000) << StateOf(pid);
    EXPECT_EQ(FolderFiles(), "fenlow Platform.ini");
}

TEST_F(UpdateStartTest, ATerminationSignalOrAKillDuringTheDownloadEndsTheStartAndTheNextStartWorks)
{
    ASSERT_NE(DemoPort(), 0) << "needs the demo platform (FENLOW_DEMO_PORT)";
    FaultHttpServer server;
    const std::string origin = "http://127.0.0.1:" + std::to_string(server.Port());
    WritePlatformIni(QString::fromStdString(origin), DemoPort());
    const QByteArray build = Md5Of(Installed());
    FaultHttpServer::Reply stalled;
    stalled.mode = FaultHttpServer::Mode::Stall;
    stalled.generated = 1 << 20;
    stalled.stallAfter = 1 << 10;
    server.Set("/new", stalled);
    for (const int signal : {SIGTERM, SIGKILL}) {
        SCOPED_TRACE(strsignal(signal));
        server.Set("/wd/qovan/ycjWDUpdate.htm",
                   FaultHttpServer::Reply::With(200, "[VerKey]\nycj=0123456789abcdef0123456789abcdef\nUpdAddr=" + origin
                                                         + "/new\n"));
        const int downloads = server.Hits("/new");
        const qint64 pid = Start({"/ycjD"});
        ASSERT_EVENTUALLY(server.Hits("/new") == downloads + 1, 30000) << StateOf(pid);
        ::kill(pid_t(pid), signal);
        ASSERT_EVENTUALLY(!QFile::exists("/proc/" + QString::number(pid) + "/exe"), 2000);
        EXPECT_EQ(Md5Of(Installed()), build);
        EXPECT_TRUE(ProcessesRunning(Installed()).isEmpty());

        // No update on offer now: the copy starts as before.
        server.Set("/wd/qovan/ycjWDUpdate.htm", FaultHttpServer::Reply::With(404, ""));
        const qint64 next = Start({"/ycjD"});
        ASSERT_EVENTUALLY(HasVisibleWindow(next), 30000) << StateOf(next);
        // A kill leaves what arrived of the download beside the copy; the next update
        // writes over it.
        EXPECT_EQ(FolderFiles(), signal == SIGKILL && QFile::exists(Folder() + "/Newycj.exe")
                                     ? "fenlow Newycj.exe Platform.ini"
                                     : "fenlow Platform.ini");
        ::kill(pid_t(next), SIGKILL);
        ASSERT_EVENTUALLY(!QFile::exists("/proc/" + QString::number(next) + "/exe"), 2000);
    }
}

} // namespace
