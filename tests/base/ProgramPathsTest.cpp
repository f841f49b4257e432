#include "base/ProgramPaths.h"

#include <gtest/gtest.h>

#include <csignal>
#include <pthread.h>
#include <sys/resource.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

#include "base/PlatformHosts.h"
#include "platform/PlatformFolders.h"
#include "platform/ProcessLaunch.h"

namespace {

TEST(PlatformHostsTest, ReadsTheFirstOfRepeatedKeysAndKeepsDefaultsForTheRest)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Platform.ini"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("; deployment hosts\n[hosts]\napps = http://a.example:81/ \nAPPS=http://b.example\n"
               "Pay=\n[Other]\nForum=http://c.example\n[update]\npublickey = ab+c,d/e=\n");
    file.close();
    const PlatformHosts hosts = PlatformHosts::Load(path);
    const PlatformHosts defaults = PlatformHosts::Defaults();
    EXPECT_EQ(hosts.apps, "http://a.example:81");
    EXPECT_EQ(hosts.pay, defaults.pay);
    EXPECT_EQ(hosts.forum, defaults.forum);
    EXPECT_EQ(hosts.updateKey, QStringLiteral("ab+c,d/e="));
    const PlatformHosts missing = PlatformHosts::Load(dir.filePath(QStringLiteral("missing.ini")));
    EXPECT_EQ(missing.apps, defaults.apps);
    EXPECT_FALSE(missing.updateKey.has_value());
}

TEST(ExeDirPathTest, PutsTheFileBesideTheExecutable)
{
    EXPECT_EQ(ExeDirPathOf("/A/B/x", "Newycj.exe"), "/A/B/Newycj.exe");
    EXPECT_EQ(ExeDirPathOf("/x", "Statistic.ini"), "/Statistic.ini");
    EXPECT_TRUE(ExeDirPathOf("x", "Newycj.exe").isEmpty());
    EXPECT_TRUE(ExeDirPathOf(QString(), "Newycj.exe").isEmpty());
}

TEST(ExeDirPathTest, UsesTheRunningExecutable)
{
    bool ok = false;
    const QString path = ExeDirPath("Statistic.ini", &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(QFileInfo(path).absolutePath(), QCoreApplication::applicationDirPath());
    EXPECT_EQ(QFileInfo(path).fileName(), "Statistic.ini");
}

// Reads what the launch probe wrote about itself, waiting for it to appear.
QString WaitForReport(const QString &path)
{
    QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly)) {
            const QString text = QString::fromUtf8(file.readAll());
            if (text.endsWith('\n'))
                return text;
        }
        QThread::msleep(20);
    }
    return {};
}

TEST(LaunchProgramTest, ChildRunsIdleWithoutArguments)
{
    QTemporaryDir dir;
    const QString report = dir.filePath("report");
    qputenv("FENLOW_LAUNCH_REPORT", QFile::encodeName(report));
    LaunchProgram(FENLOW_BIN_DIR "/launch_probe");
    // "argc policy nice sigpipe-default mask-empty" as the child saw them.
    EXPECT_EQ(WaitForReport(report), "1 5 19 1 1\n");
    // The launcher itself keeps its own priority.
    EXPECT_EQ(getpriority(PRIO_PROCESS, 0), 0);
}

TEST(LaunchProgramTest, ChildStartsWithDefaultSignalsAndAnEmptyMask)
{
    // A launcher that ignores SIGPIPE and blocks signals must not pass either on.
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction previous = {};
    sigaction(SIGPIPE, &ignore, &previous);
    sigset_t usr;
    sigemptyset(&usr);
    sigaddset(&usr, SIGUSR1);
    sigaddset(&usr, SIGTERM);
    sigset_t oldMask;
    pthread_sigmask(SIG_BLOCK, &usr, &oldMask);

    QTemporaryDir dir;
    const QString report = dir.filePath("report");
    qputenv("FENLOW_LAUNCH_REPORT", QFile::encodeName(report));
    LaunchProgram(FENLOW_BIN_DIR "/launch_probe");
    const QString seen = WaitForReport(report);

    pthread_sigmask(SIG_SETMASK, &oldMask, nullptr);
    sigaction(SIGPIPE, &previous, nullptr);
    EXPECT_EQ(seen, "1 5 19 1 1\n");
}

TEST(LaunchProgramTest, PathWithBlanksStartsAsOneProgram)
{
    QTemporaryDir dir;
    const QString copy = dir.filePath("a folder/launch probe");
    ASSERT_TRUE(QDir().mkpath(dir.filePath("a folder")));
    ASSERT_TRUE(QFile::copy(FENLOW_BIN_DIR "/launch_probe", copy));
    const QString report = dir.filePath("report");
    qputenv("FENLOW_LAUNCH_REPORT", QFile::encodeName(report));
    LaunchProgram(copy);
    EXPECT_EQ(WaitForReport(report), "1 5 19 1 1\n");
}

TEST(LaunchProgramTest, MissingProgramReturnsQuietly)
{
    EXPECT_FALSE(ProcessLaunch::StartIdleDetached("/nonexistent/launcher"));
    EXPECT_FALSE(ProcessLaunch::StartIdleDetached("relative-name-without-folder"));
    QTemporaryDir dir;
    const QString notExecutable = dir.filePath("plain file");
    QFile file(notExecutable);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_FALSE(ProcessLaunch::StartIdleDetached(notExecutable));
    EXPECT_FALSE(ProcessLaunch::StartIdleDetached(QString()));

    // LaunchProgram swallows the failure and returns; the next start still works.
    LaunchProgram("/nonexistent/launcher");
    const QString report = dir.filePath("report");
    qputenv("FENLOW_LAUNCH_REPORT", QFile::encodeName(report));
    LaunchProgram(FENLOW_BIN_DIR "/launch_probe");
    EXPECT_EQ(WaitForReport(report), "1 5 19 1 1\n");
}

} // namespace
