// The Debian package, built from this build tree: its contents, lintian, and (as root,
// where the package manager may be used) an install and removal round trip.
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPoint>
#include <QProcess>
#include <QRect>
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
// The first visible window of `process` other than `previous`, waited for: a message box
// that follows another is a new window, and the old one may still be mapped for a moment.
QString VisibleWindowOf(const QProcess &process, const QString &previous)
{
    QString found;
    TestWait::Until([&] {
        const QString ids = RunTool("xdotool", {"search", "--onlyvisible", "--pid",
                                                QString::number(process.processId())})
                                .output;
        for (const QString &id : ids.split('\n', Qt::SkipEmptyParts)) {
            if (id.trimmed() != previous) {
                found = id.trimmed();
                return true;
            }
        }
        return false;
    }, 20000);
    return found;
}

// Presses `key` in a visible window of `process` other than `previous`; answers the window
// pressed in, or an empty string when there was none or the press failed.
QString PressKeyInWindowOf(const QProcess &process, const QString &key, const QString &previous = {})
{
    const QString window = VisibleWindowOf(process, previous);
    const bool pressed = !window.isEmpty()
        && RunTool("xdotool", {"windowfocus", "--sync", window}).exitCode == 0
        && RunTool("xdotool", {"key", "--clearmodifiers", key}).exitCode == 0;
    return pressed ? window : QString();
}

bool Installed()
{
    return RunTool("dpkg-query", {"-W", "-f=${Status}", "fenlow"}).output.contains("install ok installed");
}

const QStringList kAptLock = {"-o", "DPkg::Lock::Timeout=300", "-qq"};

// Whatever happens in a case, the package does not stay.
struct PackagePurger {
    ~PackagePurger() { RunTool("apt-get", QStringList{"purge", "-y"} << kAptLock << "fenlow"); }
};

// The geometry xdotool prints for `command` ("getwindowgeometry --shell" of a window).
QRect GeometryOf(const QStringList &command)
{
    QRect rect;
    for (const QString &line : RunTool("xdotool", command).output.split('\n')) {
        const int value = line.section('=', 1).toInt();
        if (line.startsWith("X="))
            rect.moveLeft(value);
        else if (line.startsWith("Y="))
            rect.moveTop(value);
        else if (line.startsWith("WIDTH="))
            rect.setWidth(value);
        else if (line.startsWith("HEIGHT="))
            rect.setHeight(value);
    }
    return rect;
}

// The launcher's visible top-level windows, by their geometry. The window manager's own
// windows are left out: mutter keeps a mapped guard window the size of the screen, which
// would pass for the main window whether it shows or not.
QList<QRect> VisibleWindows()
{
    QList<QRect> windows;
    const QString ids = RunTool("xdotool", {"search", "--onlyvisible", "--class", "^fenlow$"}).output;
    for (const QString &id : ids.split('\n', Qt::SkipEmptyParts))
        windows << GeometryOf({"getwindowgeometry", "--shell", id});
    return windows;
}

// The launcher's visible windows and the one with the keyboard, for a failure's message.
std::string DescribeWindows()
{
    QStringList windows;
    for (const QRect &window : VisibleWindows())
        windows << QStringLiteral("%1x%2+%3+%4").arg(window.width()).arg(window.height()).arg(window.x()).arg(window.y());
    const QString active = RunTool("xdotool", {"getactivewindow", "getwindowname"}).output.trimmed();
    return (windows.join(", ") + "; the keyboard is with \"" + active + "\"").toStdString();
}

// The visible window of `size`, or an empty rectangle.
QRect WindowOfSize(const QSize &size)
{
    for (const QRect &window : VisibleWindows())
        if (window.size() == size)
            return window;
    return {};
}

void ClickAt(const QPoint &point)
{
    // A pause between the move and the click lets the button see the pointer arrive first.
    RunTool("xdotool", {"mousemove", QString::number(point.x()), QString::number(point.y()), "sleep", "0.3", "click", "1"});
}

QSize ScreenSize()
{
    const QStringList size = RunTool("xdotool", {"getdisplaygeometry"}).output.split(' ');
    return size.size() == 2 ? QSize(size[0].toInt(), size[1].toInt()) : QSize();
}

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Ends a launcher started through runuser, which passes the signal on, as the
// session's end would.
struct Ender {
    QProcess *process;
    ~Ender()
    {
        if (process->state() == QProcess::NotRunning)
            return;
        process->terminate();
        if (!process->waitForFinished(30000))
            process->kill();
        process->waitForFinished();
    }
};

// A normal user made for one case and removed after it.
struct TestUser {
    QString name = QStringLiteral("fenlowplayer%1").arg(getpid());
    QString home = QStringLiteral("/tmp/") + name;
    QString temp = QStringLiteral("/tmp");
    bool made = RunTool("useradd", {"--create-home", "--home-dir", home, "--shell", "/bin/sh", name}).exitCode == 0;
    ~TestUser()
    {
        if (made)
            RunTool("userdel", {"--force", "--remove", name});
    }
    // The packaged launcher started by this user as from the menu, in a plain session
    // whose HOME is `homeSeen` (the user's home when empty).
    void Start(QProcess &launcher, const QString &homeSeen = {}) const
    {
        launcher.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        launcher.start("runuser", {"-u", name, "--", "env", "-i", "HOME=" + (homeSeen.isEmpty() ? home : homeSeen),
                                   "DISPLAY=" + qEnvironmentVariable("DISPLAY"),
                                   "TMPDIR=" + temp, "LANG=C.UTF-8", "PATH=/usr/bin:/bin", "DBUS_SESSION_BUS_ADDRESS=disabled:",
                                   "/usr/games/fenlow"});
    }
};

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
    EXPECT_FALSE(contents.output.contains("./usr/lib/fenlow/Platform.ini"));
    for (const char *path : {"./usr/lib/fenlow/fenlow", "./etc/fenlow/Platform.ini",
                             "./usr/share/metainfo/example.fenlow.launcher.metainfo.xml",
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
    // Run-time needs no library scan finds: https trust and the desktop's opener.
    for (const char *tool : {"ca-certificates", "xdg-utils"})
        EXPECT_TRUE(depends.output.contains(tool)) << tool << depends.output.toStdString();

    // dpkg keeps an administrator's edit of the hosts across upgrades.
    const ToolRun conffiles = RunTool("dpkg-deb", {"--info", s_deb, "conffiles"});
    EXPECT_EQ(conffiles.output.trimmed(), "/etc/fenlow/Platform.ini");
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

    for (const char *name : {"岚汐翼川记极速登录器", "卸载 岚汐翼川记极速登录器", "岚汐翼川记官网"}) {
        const ToolRun valid = RunTool("desktop-file-validate",
                                      {tree.filePath("usr/share/applications/") + QString::fromUtf8(name) + ".desktop"});
        EXPECT_EQ(valid.exitCode, 0) << name << valid.output.toStdString();
        EXPECT_TRUE(valid.output.isEmpty()) << valid.output.toStdString();
    }
    const ToolRun metainfo = RunTool(
        "appstreamcli", {"validate", "--no-net", tree.filePath("usr/share/metainfo/example.fenlow.launcher.metainfo.xml")});
    EXPECT_EQ(metainfo.exitCode, 0) << metainfo.output.toStdString();

    QFile hosts(tree.filePath("etc/fenlow/Platform.ini"));
    ASSERT_TRUE(hosts.open(QIODevice::ReadOnly));
    EXPECT_TRUE(hosts.readAll().contains("Apps=http://www.qovan.localhost:18321"));
}

TEST_F(PackageTest, LintianFindsNoErrorsOrWarnings)
{
    const ToolRun lintian = RunTool("lintian", {"--fail-on", "error,warning", s_deb});
    EXPECT_EQ(lintian.exitCode, 0) << lintian.output.toStdString();
    for (const char *tag : {"\nE: ", "\nW: "})
        EXPECT_FALSE(("\n" + lintian.output).contains(tag)) << lintian.output.toStdString();
}

TEST_F(PackageTest, InstallsRunsAndRemovesCleanly)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "the round trip needs root to use the package manager";
    if (Installed())
        GTEST_SKIP() << "fenlow is installed on this machine already; the round trip leaves it alone";

    const ToolRun install =
        RunTool("apt-get", QStringList{"install", "-y", "--no-install-recommends"} << kAptLock << s_deb);
    const PackagePurger purger;
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
        // The store goes before the closing message comes up. A key that reaches the box
        // before it takes the keyboard is lost, so the answer is given again, as a player would.
        QString confirm;
        for (int attempt = 0; attempt < 3 && QFile::exists(store); ++attempt) {
            confirm = PressKeyInWindowOf(uninstall, "y");
            ASSERT_FALSE(confirm.isEmpty());
            TestWait::Until([&] { return !QFile::exists(store); }, 5000);
        }
        ASSERT_FALSE(QFile::exists(store));
        // The closing message may lose its first key the same way.
        for (int attempt = 0; attempt < 3 && uninstall.state() != QProcess::NotRunning; ++attempt) {
            PressKeyInWindowOf(uninstall, "Return", confirm);
            uninstall.waitForFinished(5000);
        }
        ASSERT_EQ(uninstall.state(), QProcess::NotRunning);
        EXPECT_EQ(uninstall.exitCode(), 0);
        EXPECT_TRUE(QDir(home.path()).entryList({"DelSelf*"}).isEmpty());
        EXPECT_TRUE(QFile::exists("/usr/lib/fenlow/fenlow"));
    }

    // Removal leaves only the configuration; purge takes that too.
    const ToolRun remove = RunTool("apt-get", QStringList{"remove", "-y"} << kAptLock << "fenlow");
    EXPECT_EQ(remove.exitCode, 0) << remove.output.toStdString();
    EXPECT_FALSE(QFile::exists("/usr/lib/fenlow"));
    EXPECT_TRUE(QFile::exists("/etc/fenlow/Platform.ini"));
    const ToolRun purge = RunTool("apt-get", QStringList{"purge", "-y"} << kAptLock << "fenlow");
    EXPECT_EQ(purge.exitCode, 0) << purge.output.toStdString();
    EXPECT_FALSE(Installed());
    EXPECT_FALSE(QFile::exists("/etc/fenlow"));
    EXPECT_FALSE(QFile::exists("/usr/lib/fenlow"));
    EXPECT_FALSE(QFile::exists("/usr/games/fenlow"));
    EXPECT_FALSE(QFile::exists("/usr/share/applications/岚汐翼川记极速登录器.desktop"));
}

// Where the launcher's controls are: the login page's 进入游戏 inside the page's window,
// the main window's 系统 button and the demo page's 星域战纪 card from the screen's top
// right corner (the main window fills the screen), the menu items from the 系统 button,
// and the dialogs' controls from the dialog's corner, wherever the window manager places
// them (message boxes are answered with Enter).
const QSize kLoginPageSize(620, 375);
const QPoint kEnterGame(445, 314);
const QPoint kSystemButtonFromRight(164, 14);
const QPoint kGameCardFromRight(162, 195);
const QPoint kUpdateItem(19, 95);
const QPoint kSettingsItem(24, 118);
const QSize kDownloadSize(417, 138);
const QPoint kDownloadOk(294, 110);
const QPoint kBossKeyField(205, 67);
const QPoint kSettingsOk(106, 327);
const QSize kSettingsSize(309, 349);
const QSize kPageInset(8, 34);
constexpr int kStartTimeoutMs = 60000;
constexpr int kEnterAttempts = 4;
constexpr int kPageLoadMs = 3000;
constexpr int kMenuAttempts = 3;
constexpr int kMenuWaitMs = 3000;

// Lets the event loop run for `ms` while the launcher, another process, gets on.
void Pause(int ms)
{
    TestWait::Until([] { return false; }, ms);
}

// Whether the main window (the screen's size) and the game page's own window inside its
// frame and caption both show: the page's window maps a moment after the main window.
bool MainWindowShows(const QSize &screen)
{
    return !WindowOfSize(screen).isEmpty() && !WindowOfSize(screen - kPageInset).isEmpty();
}

// Logs the default account in and answers the screen's size once the main window shows.
QSize EnterGame()
{
    QRect login;
    if (!TestWait::Until([&] { return !(login = WindowOfSize(kLoginPageSize)).isEmpty(); }, kStartTimeoutMs))
        return {};
    // The page loads after its window shows: a click before that misses, so it is
    // repeated a few seconds later.
    const QSize screen = ScreenSize();
    for (int attempt = 0; attempt < kEnterAttempts; ++attempt) {
        Pause(kPageLoadMs);
        ClickAt(login.topLeft() + kEnterGame);
        if (TestWait::Until([&] { return MainWindowShows(screen); }))
            return screen;
    }
    return {};
}

QPoint FromTopRight(const QSize &screen, const QPoint &offset)
{
    return {screen.width() - offset.x(), offset.y()};
}

// A message box takes the keyboard when it shows; Enter answers its first button, as a
// player would, wherever the box was placed.
void AnswerWithEnter()
{
    Pause(500);
    RunTool("xdotool", {"key", "Return"});
}

// Answers a box with Enter until `windows` of the launcher's windows are left, as a player
// presses again when a box still shows; false when it stayed after a few presses.
bool AnswerWithEnter(int windows)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        AnswerWithEnter();
        if (TestWait::Until([&] { return VisibleWindows().size() == windows; }, 5000))
            return true;
    }
    return false;
}

// Opens the 系统 menu and clicks `item`; false when the menu did not open. A first click
// on 系统 is now and then not taken (seen right after the boss key brought the window
// back), so the button is clicked again a few times, as a player would.
bool ChooseMenuItem(const QSize &screen, const QPoint &item)
{
    const QPoint system = FromTopRight(screen, kSystemButtonFromRight);
    const int before = VisibleWindows().size();
    for (int attempt = 0; attempt < kMenuAttempts; ++attempt) {
        ClickAt(system);
        if (TestWait::Until([&] { return VisibleWindows().size() > before; }, kMenuWaitMs)) {
            ClickAt(system + item);
            return true;
        }
    }
    return false;
}

// The private folders of a user's game downloads in the temporary folder `temp`.
QStringList InstallerFolders(const QString &temp, const QString &user)
{
    QStringList folders;
    for (const QFileInfo &entry : QDir(temp).entryInfoList({"fenlow-game-*"}, QDir::Dirs | QDir::Hidden))
        if (entry.owner() == user)
            folders << entry.filePath();
    return folders;
}

const QString kHostsFile = "/etc/fenlow/Platform.ini";

// Points the installed hosts at this run's demo platform, as an administrator would;
// answers the new content, empty when it could not be written.
QByteArray PointHostsAtTheDemo()
{
    const QByteArray hosts = ReadAll(kHostsFile).replace(":18321", ":" + qgetenv("FENLOW_DEMO_PORT"));
    QFile file(kHostsFile);
    return file.open(QIODevice::WriteOnly) && file.write(hosts) == hosts.size() ? hosts : QByteArray();
}

// Presses the boss key and waits until the main window (of the screen's size) is hidden,
// then presses it again and waits until it is back.
void ExpectBossKeyToggles(const QString &key, const QSize &screen)
{
    RunTool("xdotool", {"key", key});
    EXPECT_EVENTUALLY(WindowOfSize(screen).isEmpty());
    RunTool("xdotool", {"key", key});
    EXPECT_EVENTUALLY(MainWindowShows(screen));
}

// How many of the launcher's windows show, once that holds for a moment: after a restore
// the main window and its page come up one after the other, and a count in between would
// be one short.
int SettledWindowCount()
{
    int count = -1;
    int before = -2;
    EXPECT_EVENTUALLY((Pause(250), before = std::exchange(count, int(VisibleWindows().size())), count == before));
    return count;
}

// Opens the settings, presses `key` in the boss key's field and confirms.
void SetBossKey(const QSize &screen, const QString &key)
{
    ASSERT_TRUE(ChooseMenuItem(screen, kSettingsItem));
    // The window manager may still be placing the dialog when it maps, and places it again
    // once it belongs to the page it covers: the clicks wait until it has settled, two
    // looks a moment apart finding it at the same place.
    QRect dialog;
    QRect before;
    ASSERT_EVENTUALLY((Pause(250), before = std::exchange(dialog, WindowOfSize(kSettingsSize)), !dialog.isEmpty() && dialog == before));
    ClickAt(dialog.topLeft() + kBossKeyField);
    ASSERT_EQ(WindowOfSize(kSettingsSize), dialog) << "the dialog moved under the click";
    // The window manager gives the dialog the keyboard after the click: the key waits.
    ASSERT_EVENTUALLY(GeometryOf({"getactivewindow", "getwindowgeometry", "--shell"}) == dialog) << DescribeWindows();
    RunTool("xdotool", {"key", key});
    ClickAt(dialog.topLeft() + kSettingsOk);
    ASSERT_EVENTUALLY(WindowOfSize(kSettingsSize).isEmpty()) << DescribeWindows();
}

class PackageRunTest : public PackageTest
{
protected:
    void SetUp() override
    {
        PackageTest::SetUp();
        if (HasFatalFailure())
            return;
        if (geteuid() != 0 || qEnvironmentVariableIsEmpty("DISPLAY") || qEnvironmentVariableIsEmpty("FENLOW_DEMO_PORT"))
            GTEST_SKIP() << "needs root, a display and the demo platform (scripts/test)";
        if (Installed())
            GTEST_SKIP() << "fenlow is installed on this machine already; the round trip leaves it alone";
    }
};

TEST_F(PackageRunTest, APlayerKeepsHotkeysDownloadsGamesAndIsToldHowUpdatesCome)
{
    const QStringList install = QStringList{"install", "-y", "--no-install-recommends"} << kAptLock;
    ASSERT_EQ(RunTool("apt-get", QStringList(install) << s_deb).exitCode, 0);
    const PackagePurger purger;

    // The administrator points the installation at this run's demo platform; a
    // reinstall keeps the edit.
    const QByteArray hosts = PointHostsAtTheDemo();
    ASSERT_FALSE(hosts.isEmpty());
    ASSERT_EQ(RunTool("apt-get", QStringList(install) << "--reinstall" << s_deb).exitCode, 0);
    EXPECT_EQ(ReadAll(kHostsFile), hosts);

    // A shared temporary folder of this case (like /tmp: everyone may write, each
    // removes only their own) with another user's link at the old installer name.
    QTemporaryDir shared;
    ASSERT_EQ(::chmod(QFile::encodeName(shared.path()).constData(), 01777), 0);
    const QString victim = shared.filePath("victim");
    const QString oldInstaller = shared.filePath("Xyz.exe");
    {
        QFile file(victim);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("kept") == 4);
    }
    ASSERT_TRUE(QFile::link(victim, oldInstaller));

    TestUser user;
    ASSERT_TRUE(user.made);
    user.temp = shared.path();
    QProcess launcher;
    const Ender ender{&launcher};
    user.Start(launcher);
    const QSize screen = EnterGame();
    ASSERT_TRUE(screen.isValid()) << "the main window did not show";

    // 更新: a box that says how updates come, and no update.
    const int shown = SettledWindowCount();
    ASSERT_TRUE(ChooseMenuItem(screen, kUpdateItem));
    ASSERT_EVENTUALLY(VisibleWindows().size() == shown + 1);
    if (qEnvironmentVariableIsSet("FENLOW_SHOT_DIR"))
        RunTool("import", {"-window", "root", qEnvironmentVariable("FENLOW_SHOT_DIR") + "/package-update.png"});
    ASSERT_TRUE(AnswerWithEnter(shown));

    // Another game's installer: downloaded into the player's private folder and run.
    ClickAt(FromTopRight(screen, kGameCardFromRight));
    ASSERT_EVENTUALLY(VisibleWindows().size() == shown + 1);
    AnswerWithEnter();
    ASSERT_EVENTUALLY(QFile::exists(user.home + "/.qovan-xyz-installed"), kStartTimeoutMs);
    QRect download;
    ASSERT_EVENTUALLY(!(download = WindowOfSize(kDownloadSize)).isEmpty());
    ClickAt(download.topLeft() + kDownloadOk);
    ASSERT_EVENTUALLY(VisibleWindows().size() == shown);
    const QStringList folders = InstallerFolders(user.temp, user.name);
    ASSERT_EQ(folders.size(), 1);
    EXPECT_EQ(QFileInfo(folders.first()).permissions() & 0x0077, QFileDevice::Permissions());
    EXPECT_TRUE(QFileInfo(oldInstaller).isSymLink());
    EXPECT_EQ(ReadAll(victim), "kept");

    // A new boss key, set in the settings dialog, is kept in the player's folder.
    ASSERT_NO_FATAL_FAILURE(SetBossKey(screen, "ctrl+shift+F8"));
    ASSERT_EVENTUALLY(VisibleWindows().size() == shown);
    EXPECT_TRUE(ReadAll(user.home + "/.config/fenlow/Statistic.ini").contains("ShortKey=6,119"));
    launcher.terminate();
    ASSERT_TRUE(launcher.waitForFinished(30000));

    // After a restart the new key hides the main window and brings it back.
    QProcess again;
    const Ender endAgain{&again};
    user.Start(again);
    ASSERT_TRUE(EnterGame().isValid()) << "the main window did not show again";
    ExpectBossKeyToggles("ctrl+shift+F8", screen);
    // The start deleted the installer the previous one ran, with its folder.
    EXPECT_TRUE(InstallerFolders(user.temp, user.name).isEmpty());
    again.terminate();
    EXPECT_TRUE(again.waitForFinished(30000));
}

// A home the player cannot write, settings included: the launcher starts, logs in, uses
// the settings that are there, and says so when a new one cannot be kept. A missing home
// does not stop it either.
TEST_F(PackageRunTest, AReadOnlyOrMissingHomeStillLogsInAndKeepsWhatWasThere)
{
    ASSERT_EQ(RunTool("apt-get", QStringList{"install", "-y", "--no-install-recommends"} << kAptLock << s_deb).exitCode, 0);
    const PackagePurger purger;
    ASSERT_FALSE(PointHostsAtTheDemo().isEmpty());
    TestUser user;
    ASSERT_TRUE(user.made);
    const QString settings = user.home + "/.config/fenlow/Statistic.ini";
    const QByteArray stored = "[ycj]\nShortKey=6,119\n";
    const ToolRun seeded = RunTool("runuser", {"-u", user.name, "--", "sh", "-c",
                                               "mkdir -p -m 700 ~/.config/fenlow && printf '" + QString::fromLatin1(stored)
                                                   + "' > ~/.config/fenlow/Statistic.ini && chmod 500 ~/.config/fenlow ~/.config ~"});
    ASSERT_EQ(seeded.exitCode, 0) << seeded.output.toStdString();
    ASSERT_EQ(ReadAll(settings), stored);

    QProcess launcher;
    const Ender ender{&launcher};
    user.Start(launcher);
    const QSize screen = EnterGame();
    ASSERT_TRUE(screen.isValid()) << "the main window did not show";
    ExpectBossKeyToggles("ctrl+shift+F8", screen);

    // A new key cannot be written: a message says so, the old file stays as it was.
    const int shown = SettledWindowCount();
    ASSERT_NO_FATAL_FAILURE(SetBossKey(screen, "ctrl+shift+F7"));
    ASSERT_EVENTUALLY(VisibleWindows().size() == shown + 1) << shown << " windows before: " << DescribeWindows();
    if (qEnvironmentVariableIsSet("FENLOW_SHOT_DIR"))
        RunTool("import", {"-window", "root", qEnvironmentVariable("FENLOW_SHOT_DIR") + "/package-read-only.png"});
    // The box has the keyboard, also where the window manager handed it to the main window
    // as the settings dialog closed: one Enter answers it.
    AnswerWithEnter();
    ASSERT_EVENTUALLY(VisibleWindows().size() == shown);
    EXPECT_EQ(ReadAll(settings), stored);
    EXPECT_EQ(QDir(user.home + "/.config/fenlow").entryList(QDir::Files | QDir::Hidden), QStringList{"Statistic.ini"});
    launcher.terminate();
    ASSERT_TRUE(launcher.waitForFinished(30000));

    QProcess homeless;
    const Ender endHomeless{&homeless};
    user.Start(homeless, user.home + "/missing");
    EXPECT_TRUE(EnterGame().isValid()) << "the main window did not show without a home";
}

} // namespace
