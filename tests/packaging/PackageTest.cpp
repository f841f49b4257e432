// The Debian package, built from this build tree: its contents, lintian, and (as root,
// where the package manager may be used) an install and removal round trip.
#include <unistd.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "support/Wait.h"

namespace {

constexpr int kToolTimeoutMs = 300000;

struct ToolRun {
    int exitCode{-1};
    QString output;
};

ToolRun RunTool(const QString &program, const QStringList &arguments, const QString &folder = {})
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    if (!folder.isEmpty())
        process.setWorkingDirectory(folder);
    process.start(program, arguments);
    if (!process.waitForFinished(kToolTimeoutMs) || process.exitStatus() != QProcess::NormalExit)
        return {-1, QString::fromUtf8(process.readAll())};
    return {process.exitCode(), QString::fromUtf8(process.readAll())};
}

// Waits for a visible window of `process`, focuses it and presses `key`.
bool PressKeyInWindowOf(const QProcess &process, const QString &key)
{
    const QString window = RunTool("xdotool", {"search", "--sync", "--onlyvisible", "--pid",
                                               QString::number(process.processId())})
                               .output.section('\n', 0, 0).trimmed();
    return !window.isEmpty() && RunTool("xdotool", {"windowfocus", "--sync", window}).exitCode == 0
        && RunTool("xdotool", {"key", "--clearmodifiers", key}).exitCode == 0;
}

bool Installed()
{
    return RunTool("dpkg-query", {"-W", "-f=${Status}", "fenlow"}).output.contains("install ok installed");
}

class PackageTest : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_output = new QTemporaryDir;
        const ToolRun cpack = RunTool("cpack", {"-G", "DEB", "-B", s_output->path()}, FENLOW_BUILD_DIR);
        const QStringList debs = QDir(s_output->path()).entryList({"fenlow_*.deb"}, QDir::Files);
        s_deb = debs.size() == 1 ? s_output->filePath(debs.first()) : QString();
        s_log = cpack.output;
    }
    static void TearDownTestSuite()
    {
        delete s_output;
        s_output = nullptr;
    }
    void SetUp() override { ASSERT_FALSE(s_deb.isEmpty()) << s_log.toStdString(); }

    static QTemporaryDir *s_output;
    static QString s_deb;
    static QString s_log;
};

QTemporaryDir *PackageTest::s_output = nullptr;
QString PackageTest::s_deb;
QString PackageTest::s_log;

TEST_F(PackageTest, HoldsTheLauncherItsHostsMenuEntriesAndIcons)
{
    const ToolRun contents = RunTool("dpkg-deb", {"--contents", s_deb});
    ASSERT_EQ(contents.exitCode, 0) << contents.output.toStdString();
    for (const char *path : {"./usr/lib/fenlow/fenlow", "./usr/lib/fenlow/Platform.ini",
                             "./usr/games/fenlow -> ../lib/fenlow/fenlow",
                             "./usr/share/applications/岚汐翼川记极速登录器.desktop",
                             "./usr/share/applications/卸载 岚汐翼川记极速登录器.desktop",
                             "./usr/share/applications/岚汐翼川记官网.desktop",
                             "./usr/share/icons/hicolor/16x16/apps/fenlow.png",
                             "./usr/share/icons/hicolor/48x48/apps/fenlow.png",
                             "./usr/share/icons/hicolor/64x64/apps/fenlow.png", "./usr/share/doc/fenlow/copyright"})
        EXPECT_TRUE(contents.output.contains(QString::fromUtf8(path))) << path;

    const ToolRun depends = RunTool("dpkg-deb", {"--field", s_deb, "Depends"});
    EXPECT_TRUE(depends.output.contains("libqt6webenginecore6")) << depends.output.toStdString();
    EXPECT_TRUE(depends.output.contains("libqt6webenginecore6-bin"));
}

TEST_F(PackageTest, MenuEntriesStartTheLauncherTheUninstallAndThePortal)
{
    QTemporaryDir tree;
    ASSERT_EQ(RunTool("dpkg-deb", {"-x", s_deb, tree.path()}).exitCode, 0);
    const auto entry = [&](const char *name) {
        QFile file(tree.filePath("usr/share/applications/") + QString::fromUtf8(name) + ".desktop");
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    };
    EXPECT_TRUE(entry("岚汐翼川记极速登录器").contains("\nExec=/usr/games/fenlow\n"));
    EXPECT_TRUE(entry("卸载 岚汐翼川记极速登录器").contains("\nExec=/usr/games/fenlow /uninst\n"));
    EXPECT_TRUE(entry("岚汐翼川记官网").contains("\nExec=xdg-open http://www.qovan.localhost:18321/\n"));
    EXPECT_TRUE(entry("岚汐翼川记极速登录器").contains("\nIcon=fenlow\n"));

    QFile hosts(tree.filePath("usr/lib/fenlow/Platform.ini"));
    ASSERT_TRUE(hosts.open(QIODevice::ReadOnly));
    EXPECT_TRUE(hosts.readAll().contains("Apps=http://www.qovan.localhost:18321"));
}

TEST_F(PackageTest, LintianFindsNoErrors)
{
    const ToolRun lintian = RunTool("lintian", {"--fail-on", "error", s_deb});
    EXPECT_EQ(lintian.exitCode, 0) << lintian.output.toStdString();
    EXPECT_FALSE(lintian.output.contains("\nE: ") || lintian.output.startsWith("E: ")) << lintian.output.toStdString();
}

TEST_F(PackageTest, InstallsRunsAndRemovesCleanly)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "the round trip needs root to use the package manager";
    if (Installed())
        GTEST_SKIP() << "fenlow is installed on this machine already; the round trip leaves it alone";

    const QStringList lock = {"-o", "DPkg::Lock::Timeout=300", "-qq"};
    const ToolRun install = RunTool("apt-get", QStringList{"install", "-y", "--no-install-recommends"} << lock << s_deb);
    // Whatever happens below, the package does not stay.
    struct Remover {
        QStringList lock;
        ~Remover() { RunTool("apt-get", QStringList{"purge", "-y"} << lock << "fenlow"); }
    } remover{lock};
    ASSERT_EQ(install.exitCode, 0) << install.output.toStdString();
    EXPECT_TRUE(Installed());
    EXPECT_TRUE(QFile::exists("/usr/lib/fenlow/fenlow"));
    EXPECT_TRUE(QFile::exists("/usr/share/applications/岚汐翼川记极速登录器.desktop"));

    // The installed launcher runs: the web switch ends at once, without a display.
    QProcess launcher;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    launcher.setProcessEnvironment(env);
    launcher.start("/usr/games/fenlow", {"/webycjD"});
    ASSERT_TRUE(launcher.waitForFinished(30000));
    EXPECT_EQ(launcher.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(launcher.exitCode(), 0);

    // The uninstall start of the packaged launcher removes the user's traces but leaves
    // the package's files to the package manager: no self-delete script is started.
    if (!qEnvironmentVariableIsEmpty("DISPLAY")) {
        QTemporaryDir home;
        env.insert("DISPLAY", qgetenv("DISPLAY"));
        env.insert("HOME", home.path());
        env.insert("XDG_CONFIG_HOME", home.filePath("config"));
        env.insert("XDG_DATA_HOME", home.filePath("data"));
        env.insert("TMPDIR", home.path());
        const QString store = home.filePath("config/岚汐/ViziDuved/ycj");
        ASSERT_TRUE(QDir().mkpath(store));
        QProcess uninstall;
        uninstall.setProcessEnvironment(env);
        uninstall.start("/usr/games/fenlow", {"/uninst"});
        ASSERT_TRUE(PressKeyInWindowOf(uninstall, "y"));
        // The store goes before the closing message comes up.
        ASSERT_EVENTUALLY(!QFile::exists(store));
        ASSERT_TRUE(PressKeyInWindowOf(uninstall, "Return"));
        ASSERT_TRUE(uninstall.waitForFinished(30000));
        EXPECT_EQ(uninstall.exitCode(), 0);
        EXPECT_TRUE(QDir(home.path()).entryList({"DelSelf*"}).isEmpty());
        EXPECT_TRUE(QFile::exists("/usr/lib/fenlow/fenlow"));
    }

    const ToolRun purge = RunTool("apt-get", QStringList{"purge", "-y"} << lock << "fenlow");
    EXPECT_EQ(purge.exitCode, 0) << purge.output.toStdString();
    EXPECT_FALSE(Installed());
    EXPECT_FALSE(QFile::exists("/usr/lib/fenlow"));
    EXPECT_FALSE(QFile::exists("/usr/games/fenlow"));
    EXPECT_FALSE(QFile::exists("/usr/share/applications/岚汐翼川记极速登录器.desktop"));
}

} // namespace
