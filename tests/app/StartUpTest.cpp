// Starts the real launcher in its start modes against real instance endpoints.
#include <algorithm>
#include <csignal>
#include <unistd.h>
#include <memory>

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSize>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTranslator>

#include "base/InstanceChannel.h"
#include "base/ProgramTitle.h"
#include "support/FileSearch.h"
#include "support/PrivateHome.h"
#include "support/TestHttpServer.h"
#include "support/Wait.h"
#include "update/UpdateCheck.h"

namespace {

// The login window takes the size of its picture.
const QSize kLoginWindowSize(1045, 646);

class StartUpTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_home.isValid());
        m_env = PrivateHomeEnvironment(m_home);
        ASSERT_FALSE(m_env.isEmpty());
        // An update applied today: the installed copy's start checks nothing on the network.
        ASSERT_TRUE(RecordUpdateTime(m_home.filePath("config/岚汐/ViziDuved/ycj/UpdTime"),
                                     QDateTime::currentDateTimeUtc()));
        // The channel functions of this process look in the same folder.
        qputenv("TMPDIR", QFile::encodeName(m_home.filePath("tmp")));
        qunsetenv("XDG_RUNTIME_DIR");
    }

    void TearDown() override
    {
        for (auto &process : m_processes) {
            process->kill();
            process->waitForFinished();
        }
    }

    // A copy of the launcher inside the install folder runs as the installed copy.
    QString InstalledCopy()
    {
        const QString folder = m_home.filePath("data/岚汐/ViziDuved");
        QDir().mkpath(folder);
        const QString copy = folder + "/fenlow";
        QFile::copy(FENLOW_BIN_DIR "/fenlow", copy);
        // The copy talks to the same demo platform as the build does.
        QFile::copy(FENLOW_BIN_DIR "/Platform.ini", folder + "/Platform.ini");
        return copy;
    }

    QProcess *Start(const QString &program, const QStringList &arguments)
    {
        auto process = std::make_unique<QProcess>();
        process->setProcessEnvironment(m_env);
        process->start(program, arguments);
        process->waitForStarted();
        m_processes.push_back(std::move(process));
        return m_processes.back().get();
    }

    QProcess *StartListener()
    {
        QProcess *listener = Start(FENLOW_BIN_DIR "/instance_listener", {});
        if (!listener->waitForReadyRead(10000))
            return nullptr;
        listener->readLine();
        return listener;
    }

    // Runs xdotool (on `display`, else on the test's own) and answers its output.
    static QString XDoTool(const QStringList &arguments, const QString &display = {})
    {
        QProcess tool;
        if (!display.isEmpty()) {
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert("DISPLAY", display);
            tool.setProcessEnvironment(env);
        }
        tool.start("xdotool", arguments);
        tool.waitForFinished(15000);
        return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
    }

    // Waits for the first visible window of `process` and answers its id (empty when none
    // came). xdotool gives up with no output when a window of another client goes away while
    // it searches (a window manager's frames come and go often), so an empty answer is asked
    // again.
    static QString FirstWindowOf(QProcess *process)
    {
        QString window;
        TestWait::Until([&] {
            window = XDoTool({"search", "--sync", "--onlyvisible", "--pid", QString::number(process->processId())})
                         .section('\n', 0, 0);
            return !window.isEmpty();
        });
        return window;
    }

    // Waits for the first visible window of `process` and answers its size.
    static QSize FirstWindowSizeOf(QProcess *process)
    {
        const QString window = FirstWindowOf(process);
        if (window.isEmpty())
            return {};
        QSize size;
        for (const QString &line : XDoTool({"getwindowgeometry", "--shell", window}).split('\n')) {
            if (line.startsWith("WIDTH="))
                size.setWidth(line.mid(6).toInt());
            else if (line.startsWith("HEIGHT="))
                size.setHeight(line.mid(7).toInt());
        }
        return size;
    }

    // Waits for a window of `process`, gives it the focus and presses `key`.
    static bool PressKeyInWindowOf(QProcess *process, const QString &key)
    {
        const QString window = FirstWindowOf(process);
        if (window.isEmpty())
            return false;
        XDoTool({"windowfocus", "--sync", window});
        XDoTool({"key", "--clearmodifiers", key});
        return true;
    }

    // What the X server shows in `window`, read back from it.
    static QImage WindowPixels(const QString &window)
    {
        QProcess import;
        import.start("import", {"-window", window, "png:-"});
        import.waitForFinished(15000);
        return QImage::fromData(import.readAllStandardOutput(), "PNG").convertToFormat(QImage::Format_RGB32);
    }

    // The pixels of a message box built as the launcher builds its boxes (Chinese
    // framework texts) with `icon`, `text` and `buttons`, given the focus as the
    // launcher's box is before it is answered.
    static QImage MessageBoxPixels(QMessageBox::Icon icon, const char *text, QMessageBox::StandardButtons buttons)
    {
        static QTranslator *translator = [] {
            auto *t = new QTranslator(qApp);
            if (t->load(QLocale(QLocale::Chinese, QLocale::China), "qtbase", "_",
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
                QCoreApplication::installTranslator(t);
            return t;
        }();
        Q_UNUSED(translator);
        // The pointer rests away from both boxes, so that neither shows a hovered button.
        XDoTool({"mousemove", "0", "0"});
        QMessageBox box(icon, QString::fromUtf8(kProgramTitle), QString::fromUtf8(text), buttons);
        box.show();
        const QString window = QString::number(box.winId());
        XDoTool({"windowfocus", "--sync", window});
        if (!TestWait::Until([&] { return box.isActiveWindow(); }))
            return {};
        return WindowPixels(window);
    }

    // Waits until the first window of `process` shows what `expected` shows, pixel for
    // pixel: the same icon, text and buttons.
    static void ExpectFirstWindowShows(QProcess *process, const QImage &expected)
    {
        ASSERT_FALSE(expected.isNull());
        const QString window = FirstWindowOf(process);
        ASSERT_FALSE(window.isEmpty());
        XDoTool({"windowfocus", "--sync", window});
        QImage shown;
        EXPECT_TRUE(TestWait::Until([&] {
            shown = WindowPixels(window);
            return shown == expected;
        })) << "the window shows " << DifferingPixels(shown, expected) << " other pixels";
    }

    // How many pixels differ between `a` and `b` (all of the larger when their sizes
    // differ).
    static qsizetype DifferingPixels(const QImage &a, const QImage &b)
    {
        if (a.size() != b.size())
            return std::max<qsizetype>(qsizetype(a.width()) * a.height(), qsizetype(b.width()) * b.height());
        qsizetype count = 0;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x)
                count += a.pixel(x, y) != b.pixel(x, y);
        return count;
    }

    // Every file of the test's data and settings folders with its size, to see that
    // nothing changed.
    QStringList HomeContents() const
    {
        QStringList entries;
        for (const char *folder : {"data", "config"}) {
            QDirIterator it(m_home.filePath(folder), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                            QDirIterator::Subdirectories);
            while (it.hasNext()) {
                it.next();
                entries << it.filePath() + " " + QString::number(it.fileInfo().size());
            }
        }
        entries.sort();
        return entries;
    }

    QTemporaryDir m_home;
    QProcessEnvironment m_env;
    std::vector<std::unique_ptr<QProcess>> m_processes;
};

TEST_F(StartUpTest, WebSwitchEndsAtOnceWithoutADisplay)
{
    m_env.remove("DISPLAY");
    m_env.remove("WAYLAND_DISPLAY");
    QProcess *fenlow = Start(FENLOW_BIN_DIR "/fenlow", {"/WEBYCJD"});
    ASSERT_TRUE(fenlow->waitForFinished(10000));
    EXPECT_EQ(fenlow->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(fenlow->exitCode(), 0);
}

TEST_F(StartUpTest, InstalledCopyHandsOverWithoutAsking)
{
    QProcess *listener = StartListener();
    ASSERT_NE(listener, nullptr);
    QProcess *fenlow = Start(InstalledCopy(), {});
    ASSERT_TRUE(fenlow->waitForFinished(15000));
    EXPECT_EQ(fenlow->exitCode(), 0);
    ASSERT_TRUE(listener->waitForReadyRead(5000));
    EXPECT_EQ(listener->readLine().trimmed(), "1026");
}

// What runs before a start, which copy starts, the message box its first window shows,
// the key that answers it and what follows.
enum class Before { Nothing, ListeningInstance, HungInstance };
enum class After { HandsOver, OwnLoginWindow, EndsChangingNothing };

struct BoxCase {
    const char *name;
    Before before;
    bool installedCopy;
    QStringList arguments;
    QMessageBox::Icon icon;
    const char *text;
    QMessageBox::StandardButtons buttons;
    const char *key;
    After after;
};

// A row prints as its name, in test names and failures.
void PrintTo(const BoxCase &row, std::ostream *out) { *out << row.name; }

class StartBoxTest : public StartUpTest, public testing::WithParamInterface<BoxCase>
{
};

TEST_P(StartBoxTest, TheFirstWindowIsTheBoxAndItsAnswerDecides)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        GTEST_SKIP() << "needs an X display";
    const BoxCase &box = GetParam();
    QProcess *listener = box.before == Before::Nothing ? nullptr : StartListener();
    ASSERT_TRUE(box.before == Before::Nothing || listener);
    if (box.before == Before::HungInstance)
        ::kill(static_cast<pid_t>(listener->processId()), SIGSTOP);
    const QString program = box.installedCopy ? InstalledCopy() : QStringLiteral(FENLOW_BIN_DIR "/fenlow");
    const QStringList before = HomeContents();

    QProcess *fenlow = Start(program, box.arguments);
    ASSERT_NO_FATAL_FAILURE(ExpectFirstWindowShows(fenlow, MessageBoxPixels(box.icon, box.text, box.buttons)));
    ASSERT_TRUE(PressKeyInWindowOf(fenlow, box.key));
    if (box.after == After::HandsOver) {
        ASSERT_TRUE(listener->waitForReadyRead(10000));
        EXPECT_EQ(listener->readLine().trimmed(), "1026");
        EXPECT_TRUE(fenlow->waitForFinished(10000));
    } else if (box.after == After::OwnLoginWindow) {
        // Its own login window comes after the answer, where a hand-over would have come.
        ASSERT_EVENTUALLY(FirstWindowSizeOf(fenlow) == kLoginWindowSize);
        EXPECT_EQ(fenlow->state(), QProcess::Running);
        EXPECT_EQ(listener->readAll(), QByteArray());
    } else {
        ASSERT_TRUE(fenlow->waitForFinished(10000));
        EXPECT_EQ(fenlow->exitCode(), 0);
        EXPECT_EQ(HomeContents(), before);
    }
}

const char kHandOverQuestion[] = "检测到已经有一个岚汐翼川记在运行，是否在已运行的窗口上登录新账号？";

// The installed copy hands over without a question, so the one window it shows before
// going on as a new instance beside a hung one is the failure notice, not the login picture.
INSTANTIATE_TEST_SUITE_P(
    Boxes, StartBoxTest,
    testing::Values(BoxCase{"PlainStartHandsOverOnYes", Before::ListeningInstance, false, {"some-argument"},
                            QMessageBox::Question, kHandOverQuestion, QMessageBox::Yes | QMessageBox::No, "y",
                            After::HandsOver},
                    BoxCase{"PlainStartGoesOnAsItsOwnInstanceOnNo", Before::ListeningInstance, false, {"some-argument"},
                            QMessageBox::Question, kHandOverQuestion, QMessageBox::Yes | QMessageBox::No, "n",
                            After::OwnLoginWindow},
                    BoxCase{"HungInstanceGivesTheFailureNoticeInsteadOfAHang", Before::HungInstance, true, {},
                            QMessageBox::Information, "在当前运行程序中进入游戏失败，将在新窗口中打开游戏",
                            QMessageBox::Ok, "Return", After::OwnLoginWindow},
                    BoxCase{"UninstallStartAsksAndChangesNothingOnNo", Before::Nothing, true, {"/UnInst"},
                            QMessageBox::Question, "确定要移除 岚汐翼川记极速登录器吗？",
                            QMessageBox::Yes | QMessageBox::No, "n", After::EndsChangingNothing}),
    [](const testing::TestParamInfo<BoxCase> &param) { return std::string(param.param.name); });

TEST_F(StartUpTest, CrashedInstanceIsNotAskedAbout)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        GTEST_SKIP() << "needs an X display";
    QProcess *dead = StartListener();
    ASSERT_NE(dead, nullptr);
    ::kill(static_cast<pid_t>(dead->processId()), SIGKILL);
    dead->waitForFinished();

    // No question: the first window is the login window itself.
    QProcess *fenlow = Start(FENLOW_BIN_DIR "/fenlow", {});
    EXPECT_EQ(FirstWindowSizeOf(fenlow), kLoginWindowSize);
    EXPECT_TRUE(InstanceChannel::Endpoints().isEmpty());
}

TEST_F(StartUpTest, UninstallOnYesRemovesTheCopyItsShortcutsAndItsStore)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        GTEST_SKIP() << "needs an X display";
    const QString folder = m_home.filePath("games/a b $(touch pwned)");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString copy = folder + "/fenlow";
    ASSERT_TRUE(QFile::copy(FENLOW_BIN_DIR "/fenlow", copy));
    const QString store = m_home.filePath("config/岚汐/ViziDuved/ycj");
    ASSERT_TRUE(QDir().mkpath(store));
    QFile(store + "/UpdTime").open(QIODevice::WriteOnly);
    const QString menu = m_home.filePath("data/applications/岚汐登录器");
    ASSERT_TRUE(QDir().mkpath(menu));
    ASSERT_TRUE(QDir().mkpath(m_home.filePath("Desktop")));
    const QStringList shortcuts = {m_home.filePath("Desktop/岚汐翼川记官网.desktop"),
                                   m_home.filePath("Desktop/岚汐翼川记极速登录器.desktop"),
                                   menu + "/岚汐翼川记极速登录器.desktop", menu + "/卸载 岚汐翼川记极速登录器.desktop"};
    for (const QString &path : shortcuts)
        QFile(path).open(QIODevice::WriteOnly);

    QProcess *fenlow = Start(copy, {"/uninst"});
    ASSERT_TRUE(PressKeyInWindowOf(fenlow, "y"));
    // The closing message keeps the process, and so the copy, alive until it is read.
    ASSERT_EVENTUALLY(!QFile::exists(store));
    // The shortcuts go right after the store.
    EXPECT_EVENTUALLY(!QFile::exists(menu));
    for (const QString &path : shortcuts)
        EXPECT_EVENTUALLY(!QFile::exists(path)) << path.toStdString();
    EXPECT_TRUE(QFile::exists(copy));
    ASSERT_TRUE(PressKeyInWindowOf(fenlow, "Return"));
    ASSERT_TRUE(fenlow->waitForFinished(10000));
    EXPECT_EQ(fenlow->exitCode(), 0);
    ASSERT_EVENTUALLY(!QFile::exists(folder), 60000);
    EXPECT_TRUE(QFile::exists(m_home.filePath("games")));
    EXPECT_FALSE(QFile::exists(m_home.filePath("games/pwned")));
}


// A copy of the launcher whose login page comes from `server`: the page sets a cookie
// that lives a day, as a "remember me" login does.
QString LauncherServedBy(const QTemporaryDir &home, TestHttpServer &server)
{
    TestHttpServer::Response login;
    login.body = "<html><body>login</body></html>";
    login.headers = "Set-Cookie: remember=yes; Max-Age=86400; Path=/\r\n";
    server.SetResponse("/ycj/", login);
    const QString folder = home.filePath("app");
    QDir().mkpath(folder);
    QFile ini(folder + "/Platform.ini");
    if (!ini.open(QIODevice::WriteOnly) || ini.write("[Hosts]\nApps=" + server.Url("").toUtf8() + "\n") <= 0)
        return {};
    ini.close();
    return QFile::copy(FENLOW_BIN_DIR "/fenlow", folder + "/fenlow") ? folder + "/fenlow" : QString();
}

bool Ended(QProcess *process)
{
    return process->state() == QProcess::NotRunning;
}

TEST_F(StartUpTest, ATerminationSignalKeepsAFreshLoginAndASecondOneEndsAtOnce)
{
    TestHttpServer server;
    const QString launcher = LauncherServedBy(m_home, server);
    ASSERT_FALSE(launcher.isEmpty());

    // Logout sends SIGTERM 3 s after the page set its cookie: the program ends in order
    // within 2 s, and the cookie is on disk for the next start.
    QProcess *first = Start(launcher, {});
    ASSERT_EVENTUALLY(server.Hits("/ycj/") == 1, 30000);
    ASSERT_FALSE(FirstWindowOf(first).isEmpty());
    TestWait::ProcessFor(3000);
    ::kill(pid_t(first->processId()), SIGTERM);
    ASSERT_EVENTUALLY(Ended(first), 2000);
    EXPECT_EQ(first->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first->exitCode(), 0);

    QProcess *second = Start(launcher, {});
    ASSERT_EVENTUALLY(server.Hits("/ycj/") == 2, 30000);
    EXPECT_TRUE(server.CookieSent("/ycj/").contains("remember=yes")) << server.CookieSent("/ycj/").constData();
    // Two signals one after the other: the second one does not wait for the first's end.
    ::kill(pid_t(second->processId()), SIGINT);
    ::kill(pid_t(second->processId()), SIGHUP);
    ASSERT_EVENTUALLY(Ended(second), 2000);
    EXPECT_EQ(second->exitStatus(), QProcess::CrashExit);
}

// A platform that keeps the account in a cookie: its n-th login sets "acct=<n>" and enters
// the game of account "a<n>" at once; each game page keeps asking the server, with
// credentials, as long as it lives. All of it on one host, as the accounts of one server are.
class AccountPlatform
{
public:
    AccountPlatform()
    {
        server.SetHandler("/ycj/", [this](const QString &, const QByteArray &cookies) {
            loginCookies << cookies;
            const QByteArray n = QByteArray::number(loginCookies.size());
            TestHttpServer::Response login;
            login.headers = "Set-Cookie: acct=" + n + "; Max-Age=86400; Path=/\r\n";
            login.body = "<html><body><script>location.href = 'app://loadgame|' + location.origin"
                         " + '/game/?account=a" + n + "&server_id=1';</script></body></html>";
            return login;
        });
        server.SetPage("/game/", "<html><body><script>const who = new URLSearchParams(location.search).get('account');"
                                 "setInterval(() => fetch('/ask?account=' + who, {credentials: 'include'}), 200);"
                                 "</script></body></html>");
        server.SetHandler("/ask", [this](const QString &target, const QByteArray &cookies) {
            asked[target.section("account=", 1)] << cookies;
            return TestHttpServer::Response{};
        });
    }

    // Waits until the game page of account `n` has asked `times` more times.
    void AwaitAsking(int n, int times = 3)
    {
        const QString account = QStringLiteral("a%1").arg(n);
        const qsizetype before = asked.value(account).size();
        ASSERT_EVENTUALLY(asked.value(account).size() >= before + times, 30000) << "account " << n;
    }

    // Every request the game page of account `n` made carried that account's cookie alone.
    void ExpectOwnCookieOnly(int n) const
    {
        const QList<QByteArray> sent = asked.value(QStringLiteral("a%1").arg(n));
        const QByteArray own = "acct=" + QByteArray::number(n);
        const auto other =
            std::find_if(sent.begin(), sent.end(), [&](const QByteArray &cookies) { return cookies != own; });
        ASSERT_FALSE(sent.isEmpty());
        EXPECT_TRUE(other == sent.end()) << "account " << n << " sent \"" << other->constData() << "\" in request "
                                         << (other - sent.begin() + 1) << " of " << sent.size();
    }

    TestHttpServer server;
    // The Cookie header of each login page request, in order.
    QList<QByteArray> loginCookies;
    // The Cookie headers of each account's game page requests.
    QHash<QString, QList<QByteArray>> asked;
};

TEST_F(StartUpTest, EachFurtherLoginKeepsItsAccountApartAndOnlyTheFirstOneOutlivesARestart)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        GTEST_SKIP() << "needs an X display";
    AccountPlatform platform;
    const QString launcher = LauncherServedBy(m_home, platform.server);
    ASSERT_FALSE(launcher.isEmpty());
    const auto secondStart = [&] {
        QProcess *second = Start(launcher, {});
        ASSERT_TRUE(PressKeyInWindowOf(second, "y"));
        ASSERT_TRUE(second->waitForFinished(10000));
    };

    QProcess *first = Start(launcher, {});
    ASSERT_NO_FATAL_FAILURE(platform.AwaitAsking(1));
    for (int n = 2; n <= 3; ++n) {
        ASSERT_NO_FATAL_FAILURE(secondStart());
        ASSERT_NO_FATAL_FAILURE(platform.AwaitAsking(n));
        // Every tab goes on asking with its own login's cookie, the earlier ones too.
        for (int tab = 1; tab <= n; ++tab) {
            ASSERT_NO_FATAL_FAILURE(platform.AwaitAsking(tab));
            platform.ExpectOwnCookieOnly(tab);
        }
    }
    // The first login found a fresh home, and each further one began with an empty store.
    EXPECT_EQ(platform.loginCookies, QList<QByteArray>({"", "", ""}));

    // The program ends with three accounts in use: the first one's cookie is on disk, and
    // nothing of the further ones' (a cookie's name and value lie side by side there).
    ::kill(pid_t(first->processId()), SIGTERM);
    ASSERT_EVENTUALLY(Ended(first), 10000);
    EXPECT_EQ(first->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first->exitCode(), 0);
    EXPECT_TRUE(AnyFileHolds(m_home.path(), "acct1"));
    EXPECT_FALSE(AnyFileHolds(m_home.path(), "acct2"));
    EXPECT_FALSE(AnyFileHolds(m_home.path(), "acct3"));

    QProcess *again = Start(launcher, {});
    ASSERT_NO_FATAL_FAILURE(platform.AwaitAsking(4));
    ASSERT_NO_FATAL_FAILURE(secondStart());
    ASSERT_NO_FATAL_FAILURE(platform.AwaitAsking(5));
    // The next further login's page may have been loaded ahead already, with no cookie.
    ASSERT_GE(platform.loginCookies.size(), 5);
    EXPECT_EQ(platform.loginCookies.at(3), "acct=1");
    EXPECT_EQ(platform.loginCookies.at(4), "");
    platform.ExpectOwnCookieOnly(4);
    platform.ExpectOwnCookieOnly(5);
    ::kill(pid_t(again->processId()), SIGTERM);
    EXPECT_EVENTUALLY(Ended(again), 10000);
}

// Where a start is when a signal comes.
enum class Stage { StartUp, LoginWindow, MessageBox };

struct SignalCase {
    const char *name;
    Stage stage;
    int signal;
};

// A row prints as its name, in test names and failures.
void PrintTo(const SignalCase &row, std::ostream *out) { *out << row.name; }

class SignalStageTest : public StartUpTest, public testing::WithParamInterface<SignalCase>
{
};

// A signal at any stage of a start ends it (in order for SIGTERM, within 2 s, no window
// opening after it) and the next start shows its login page again.
TEST_P(SignalStageTest, EndsTheStartAndTheNextStartWorks)
{
    const SignalCase &at = GetParam();
    TestHttpServer server;
    const QString launcher = LauncherServedBy(m_home, server);
    ASSERT_FALSE(launcher.isEmpty());
    // With an instance listening, the start first asks whether to hand over.
    QProcess *listener = at.stage == Stage::MessageBox ? StartListener() : nullptr;
    ASSERT_TRUE(at.stage != Stage::MessageBox || listener);

    QProcess *first = Start(launcher, {});
    if (at.stage == Stage::LoginWindow) {
        ASSERT_EVENTUALLY(server.Hits("/ycj/") == 1, 30000);
    }
    if (at.stage != Stage::StartUp) {
        ASSERT_FALSE(FirstWindowOf(first).isEmpty());
    }
    const int loginsBefore = server.Hits("/ycj/");
    ::kill(pid_t(first->processId()), at.signal);
    ASSERT_EVENTUALLY(Ended(first), 2000);
    if (at.signal == SIGTERM && at.stage != Stage::StartUp) {
        EXPECT_EQ(first->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(first->exitCode(), 0);
    }
    EXPECT_EQ(server.Hits("/ycj/"), loginsBefore);
    if (listener) {
        listener->kill();
        listener->waitForFinished();
    }

    QProcess *second = Start(launcher, {});
    ASSERT_EVENTUALLY(server.Hits("/ycj/") == loginsBefore + 1, 30000);
    EXPECT_FALSE(FirstWindowOf(second).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Stages, SignalStageTest,
                         testing::Values(SignalCase{"TermAtStartUp", Stage::StartUp, SIGTERM},
                                         SignalCase{"KillAtStartUp", Stage::StartUp, SIGKILL},
                                         SignalCase{"KillInTheLoginWindow", Stage::LoginWindow, SIGKILL},
                                         SignalCase{"TermWhileAMessageBoxIsOpen", Stage::MessageBox, SIGTERM},
                                         SignalCase{"KillWhileAMessageBoxIsOpen", Stage::MessageBox, SIGKILL}),
                         [](const testing::TestParamInfo<SignalCase> &param) { return std::string(param.param.name); });

// An X server of the test's own; answers its display name (empty when it did not start).
QString StartXServer(QProcess &xvfb)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return {};
    xvfb.setChildProcessModifier([fds] { ::close(fds[0]); });
    xvfb.start("Xvfb", {"-displayfd", QString::number(fds[1]), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"});
    ::close(fds[1]);
    QByteArray number;
    char c = 0;
    while (::read(fds[0], &c, 1) == 1 && c != '\n')
        number += c;
    ::close(fds[0]);
    return number.isEmpty() ? QString() : ":" + QString::fromLatin1(number);
}

// The X server goes a few seconds after the login page set a cookie, once in the login
// window and once in the main window: the program ends with status 1 as its exit
// command ends it (endpoint gone, the cookie on disk for the next start).
TEST_F(StartUpTest, TheXServerGoingAwayEndsTheLoginOrTheMainWindowInOrder)
{
    TestHttpServer server;
    const QString launcher = LauncherServedBy(m_home, server);
    ASSERT_FALSE(launcher.isEmpty());
    server.SetPage("/game/", "<html><body>game</body></html>");
    const QString endpoints = m_home.filePath("tmp/Fenlow_ycj-%1").arg(::getuid());
    for (const bool inTheMainWindow : {false, true}) {
        SCOPED_TRACE(inTheMainWindow ? "main window" : "login window");
        const QByteArray cookie = inTheMainWindow ? "main=yes" : "login=yes";
        TestHttpServer::Response login;
        login.headers = "Set-Cookie: " + cookie + "; Max-Age=86400; Path=/\r\n";
        if (inTheMainWindow)
            login.body = "<html><body><script>setTimeout(function () { location.href = "
                         "'app://loadgame:alice,1|' + location.origin + '/game/'; }, 2000);</script></body></html>";
        server.SetResponse("/ycj/", login);
        QProcess xvfb;
        const QString display = StartXServer(xvfb);
        ASSERT_FALSE(display.isEmpty());
        m_env.insert("DISPLAY", display);
        const int logins = server.Hits("/ycj/");
        QProcess *first = Start(launcher, {});
        ASSERT_EVENTUALLY(server.Hits("/ycj/") == logins + 1, 30000);
        if (inTheMainWindow) {
            ASSERT_EVENTUALLY(server.Hits("/game/") >= 1, 30000);
            ASSERT_EVENTUALLY(!QDir(endpoints).entryList(QDir::System | QDir::NoDotAndDotDot).isEmpty());
        } else {
            TestWait::ProcessFor(3000);
        }

        xvfb.kill();
        ASSERT_EVENTUALLY(Ended(first), 10000);
        EXPECT_EQ(first->exitStatus(), QProcess::NormalExit) << first->readAllStandardError().right(20000).constData();
        EXPECT_EQ(first->exitCode(), 1);
        EXPECT_TRUE(QDir(endpoints).entryList(QDir::System | QDir::NoDotAndDotDot).isEmpty());

        m_env.insert("DISPLAY", qEnvironmentVariable("DISPLAY"));
        QProcess *next = Start(launcher, {});
        ASSERT_EVENTUALLY(server.Hits("/ycj/") == logins + 2, 30000);
        EXPECT_TRUE(server.CookieSent("/ycj/").contains(cookie)) << server.CookieSent("/ycj/").constData();
        ::kill(pid_t(next->processId()), SIGTERM);
        ASSERT_EVENTUALLY(Ended(next), 5000);
    }
}

TEST_F(StartUpTest, NoDisplayEndsWithAMessageAndAPlatformTheUserChoseIsKept)
{
    TestHttpServer server;
    const QString launcher = LauncherServedBy(m_home, server);
    ASSERT_FALSE(launcher.isEmpty());

    // No X display: the launcher says what it needs and ends with 1, no crash report.
    m_env.insert("DISPLAY", ":65000");
    m_env.remove("QT_QPA_PLATFORM");
    QProcess *blind = Start(launcher, {});
    ASSERT_EVENTUALLY(Ended(blind));
    EXPECT_EQ(blind->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(blind->exitCode(), 1);
    EXPECT_TRUE(blind->readAllStandardError().contains("needs an X server or, in a Wayland session, XWayland"));
    EXPECT_FALSE(QFile::exists(m_home.filePath("app/fenlow.dmp")));
    EXPECT_EQ(server.Hits("/ycj/"), 0);

    // A platform the user set is kept even where an X display is reachable: here one
    // that cannot start, so nothing opens and the login page is never asked for.
    m_env.insert("DISPLAY", qEnvironmentVariable("DISPLAY"));
    m_env.insert("QT_QPA_PLATFORM", "wayland");
    m_env.insert("WAYLAND_DISPLAY", "fenlow-test-no-compositor");
    QProcess *wayland = Start(launcher, {});
    ASSERT_EVENTUALLY(Ended(wayland), 30000);
    EXPECT_TRUE(wayland->readAllStandardError().contains("wayland"));
    EXPECT_EQ(server.Hits("/ycj/"), 0);
}


// A headless Wayland compositor with XWayland, as a Wayland session runs it: the
// Wayland socket is `socket`, the X display the one its log names.
QString StartWayland(QProcess &weston, const QString &runtime, const QString &socket)
{
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", runtime);
    weston.setProcessEnvironment(env);
    weston.setProcessChannelMode(QProcess::MergedChannels);
    weston.start("weston", {"--backend=headless-backend.so", "--xwayland", "--use-pixman", "--socket=" + socket});
    QByteArray log;
    const QByteArray mark = "xserver listening on display ";
    TestWait::Until([&] {
        log += weston.readAll();
        return log.contains(mark) && log.indexOf('\n', log.indexOf(mark)) > 0;
    });
    const qsizetype at = log.indexOf(mark);
    return at < 0 ? QString() : QString::fromUtf8(log.mid(at + mark.size())).section(QLatin1Char(0x0a), 0, 0).trimmed();
}

TEST_F(StartUpTest, InAWaylandSessionTheWindowsUseXWaylandAndALogoutEndsTheMainWindowInOrder)
{
    if (QStandardPaths::findExecutable("weston").isEmpty())
        GTEST_SKIP() << "needs weston";
    QProcess weston;
    const QString display = StartWayland(weston, m_home.filePath("wayland"), "fenlow-test");
    ASSERT_FALSE(display.isEmpty());

    TestHttpServer server;
    const QString launcher = LauncherServedBy(m_home, server);
    ASSERT_FALSE(launcher.isEmpty());
    TestHttpServer::Response login;
    // The page logs in once the login window had time to show.
    login.body = "<html><body><script>setTimeout(function () {"
                 "location.href = 'app://loadgame:alice,1|' + location.origin + '/game/'; }, 3000);</script></body></html>";
    server.SetResponse("/ycj/", login);
    server.SetPage("/game/", "<html><body>game</body></html>");

    m_env.insert("DISPLAY", display);
    m_env.insert("WAYLAND_DISPLAY", m_home.filePath("wayland/fenlow-test"));
    m_env.insert("XDG_SESSION_TYPE", "wayland");
    m_env.remove("QT_QPA_PLATFORM");
    QProcess *fenlow = Start(launcher, {});
    ASSERT_EVENTUALLY(server.Hits("/ycj/") == 1, 30000);

    // The login windows are mapped windows of the XWayland display. xdotool gives up
    // with no output when a window goes away while it searches (the login's windows do
    // as the main window opens), so an empty answer is asked again.
    const auto visibleWindows = [&] {
        return XDoTool({"search", "--onlyvisible", "--pid", QString::number(fenlow->processId())}, display)
            .split('\n', Qt::SkipEmptyParts);
    };
    QStringList loginWindows;
    ASSERT_EVENTUALLY(!(loginWindows = visibleWindows()).isEmpty(), 10000);

    // The login reaches the main window: its game page is asked for, its endpoint
    // listens for further starts and it is mapped on the XWayland display.
    ASSERT_EVENTUALLY(server.Hits("/game/") >= 1, 30000);
    const QString endpoints = m_home.filePath("tmp/Fenlow_ycj-%1").arg(::getuid());
    ASSERT_EVENTUALLY(!QDir(endpoints).entryList(QDir::System | QDir::NoDotAndDotDot).isEmpty());
    const auto mainWindowMapped = [&] {
        const QStringList windows = visibleWindows();
        return std::any_of(windows.cbegin(), windows.cend(),
                           [&](const QString &window) { return !loginWindows.contains(window); });
    };
    ASSERT_EVENTUALLY(mainWindowMapped(), 10000);

    // Logout: the main window's endpoint goes with the program.
    ::kill(pid_t(fenlow->processId()), SIGTERM);
    ASSERT_EVENTUALLY(Ended(fenlow), 2000);
    EXPECT_EQ(fenlow->exitStatus(), QProcess::NormalExit);
    EXPECT_TRUE(QDir(endpoints).entryList(QDir::System | QDir::NoDotAndDotDot).isEmpty());
    weston.terminate();
    weston.waitForFinished();
}

} // namespace
