#include "base/ProgramPaths.h"

#include <gtest/gtest.h>

#include <csignal>
#include <pthread.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

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

bool WriteFile(const QString &path, const QByteArray &data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

mode_t ModeOf(const QString &path)
{
    struct stat info = {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

class ProgramFileFolderTest : public testing::Test
{
protected:
    ProgramFileRoots Roots(bool beside) const
    {
        return {m_dir.filePath("exe/fenlow"), beside, m_dir.filePath("config"), m_dir.filePath("cache")};
    }
    QTemporaryDir m_dir;
};

TEST_F(ProgramFileFolderTest, AWritableExecutableFolderKeepsEveryFile)
{
    for (ProgramFileKind kind : {ProgramFileKind::Setting, ProgramFileKind::Transient})
        EXPECT_EQ(ProgramFileFolderIn(Roots(true), kind), m_dir.filePath("exe"));
    EXPECT_FALSE(QFileInfo::exists(m_dir.filePath("config")));
}

TEST_F(ProgramFileFolderTest, OtherwiseEachKindGoesToTheUsersOwnPrivateFolder)
{
    // Missing XDG folders are made on the way.
    EXPECT_EQ(ProgramFileFolderIn(Roots(false), ProgramFileKind::Setting), m_dir.filePath("config/fenlow"));
    EXPECT_EQ(ProgramFileFolderIn(Roots(false), ProgramFileKind::Transient), m_dir.filePath("cache/fenlow"));
    EXPECT_EQ(ModeOf(m_dir.filePath("cache/fenlow")), mode_t(0700));
    // A folder left open to others is narrowed to this user.
    ASSERT_EQ(::chmod(QFile::encodeName(m_dir.filePath("config/fenlow")).constData(), 0777), 0);
    EXPECT_EQ(ProgramFileFolderIn(Roots(false), ProgramFileKind::Setting), m_dir.filePath("config/fenlow"));
    EXPECT_EQ(ModeOf(m_dir.filePath("config/fenlow")), mode_t(0700));
    // One the player made read-only loses the others' access but stays read-only.
    ASSERT_EQ(::chmod(QFile::encodeName(m_dir.filePath("config/fenlow")).constData(), 0555), 0);
    EXPECT_EQ(ProgramFileFolderIn(Roots(false), ProgramFileKind::Setting), m_dir.filePath("config/fenlow"));
    EXPECT_EQ(ModeOf(m_dir.filePath("config/fenlow")), mode_t(0500));
}

TEST_F(ProgramFileFolderTest, PlantedOrBrokenFoldersAreRefusedNeverFollowed)
{
    // A link to a real folder of this user is still a link.
    ASSERT_TRUE(QDir().mkpath(m_dir.filePath("elsewhere")) && QDir().mkpath(m_dir.filePath("config")));
    ASSERT_TRUE(QFile::link(m_dir.filePath("elsewhere"), m_dir.filePath("config/fenlow")));
    EXPECT_TRUE(ProgramFileFolderIn(Roots(false), ProgramFileKind::Setting).isEmpty());
    // The link's target keeps its mode: nothing went through the link.
    EXPECT_EQ(ModeOf(m_dir.filePath("elsewhere")) & 0077, ModeOf(m_dir.filePath("config")) & 0077);
    // A file where the folder belongs, and an XDG folder that is a file.
    ASSERT_TRUE(QDir().mkpath(m_dir.filePath("cache")) && WriteFile(m_dir.filePath("cache/fenlow"), "x"));
    EXPECT_TRUE(ProgramFileFolderIn(Roots(false), ProgramFileKind::Transient).isEmpty());
    ProgramFileRoots fileHome = Roots(false);
    fileHome.configHome = m_dir.filePath("cache/fenlow");
    EXPECT_TRUE(ProgramFileFolderIn(fileHome, ProgramFileKind::Setting).isEmpty());
    fileHome.configHome.clear();
    EXPECT_TRUE(ProgramFileFolderIn(fileHome, ProgramFileKind::Setting).isEmpty());
    // Another user's folder: only root can make one here.
    if (::geteuid() == 0) {
        const QString foreign = m_dir.filePath("foreign");
        ASSERT_TRUE(QDir().mkpath(foreign + "/fenlow"));
        ASSERT_EQ(::chown(QFile::encodeName(foreign + "/fenlow").constData(), 65534, 65534), 0);
        fileHome.configHome = foreign;
        EXPECT_TRUE(ProgramFileFolderIn(fileHome, ProgramFileKind::Setting).isEmpty());
    }
}

TEST(NewPrivateFolderTest, EachCallMakesAFreshFolderOfThisUserAlone)
{
    QTemporaryDir dir;
    const QString first = PlatformFolders::NewPrivateFolder(dir.path(), "game-");
    const QString second = PlatformFolders::NewPrivateFolder(dir.path(), "game-");
    ASSERT_FALSE(first.isEmpty());
    EXPECT_NE(first, second);
    EXPECT_TRUE(QFileInfo(first).fileName().startsWith("game-"));
    EXPECT_EQ(ModeOf(first), mode_t(S_IFDIR | 0700) & 07777);
    EXPECT_TRUE(PlatformFolders::NewPrivateFolder(dir.filePath("missing"), "game-").isEmpty());
}

class PlatformHostsFileTest : public testing::Test
{
protected:
    QString Ini(const char *name, const QByteArray &data)
    {
        const QString path = m_dir.filePath(name);
        return WriteFile(path, data) ? path : QString();
    }
    QTemporaryDir m_dir;
};

TEST_F(PlatformHostsFileTest, TheFirstFileThatExistsNamesTheHosts)
{
    const QString beside = Ini("beside.ini", "[Hosts]\nApps=http://apps.beside.example/\n");
    const QString system = Ini("system.ini", "[Hosts]\nApps=http://apps.system.example\nPay=http://pay.example\n");
    const QString missing = m_dir.filePath("missing.ini");
    QString problem;
    EXPECT_EQ(PlatformHosts::LoadFirst({beside, system}, &problem).apps, "http://apps.beside.example");
    const PlatformHosts fromSystem = PlatformHosts::LoadFirst({missing, system}, &problem);
    EXPECT_EQ(fromSystem.apps, "http://apps.system.example");
    EXPECT_EQ(fromSystem.pay, "http://pay.example");
    EXPECT_EQ(fromSystem.forum, PlatformHosts::Defaults().forum);
    EXPECT_EQ(PlatformHosts::LoadFirst({missing, QString()}, &problem).apps, PlatformHosts::Defaults().apps);
    EXPECT_TRUE(problem.isEmpty()) << problem.toStdString();
}

TEST_F(PlatformHostsFileTest, ABrokenFileGivesTheDemoHostsAndSaysWhy)
{
    const QString system = Ini("system.ini", "[Hosts]\nApps=http://apps.system.example\n");
    for (const QByteArray &data : {QByteArray(), QByteArray(" \n\n"), QByteArray("[Hosts]\nApps=http://a\0\x01", 23),
                                   QByteArray("\xff\xfe\x00[\x00H")}) {
        SCOPED_TRACE(data.toHex().toStdString());
        const QString broken = Ini("broken.ini", data);
        QString problem;
        const PlatformHosts hosts = PlatformHosts::LoadFirst({broken, system}, &problem);
        EXPECT_EQ(hosts.apps, PlatformHosts::Defaults().apps);
        EXPECT_TRUE(problem.startsWith(broken)) << problem.toStdString();
    }
    // The system's file comes after the executable's.
    EXPECT_EQ(PlatformHosts::Candidates().value(1), "/etc/fenlow/Platform.ini");
    EXPECT_EQ(PlatformHosts::Candidates().value(0), ExeDirPath("Platform.ini"));
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
