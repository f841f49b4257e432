#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "base/InstanceChannel.h"
#include "game/GameTestSupport.h"
#include "support/ProbeChannel.h"
#include "support/Wait.h"
#include "support/X11TestClient.h"

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
    qint64 Pid() const { return m_process.processId(); }
    // The probe's "windows" line as key=value pairs.
    QHash<QString, QString> Windows()
    {
        Send("windows");
        QHash<QString, QString> values;
        for (const QString &word : Await("windows ").split(QLatin1Char(' ')).mid(1))
            values.insert(word.section(QLatin1Char('='), 0, 0), word.section(QLatin1Char('='), 1));
        return values;
    }
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

// The window manager's WM_STATE of window `id` as xprop prints it ("Normal", "Iconic"),
// empty for a window it does not manage.
QString WmState(quint64 id)
{
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(id), QStringLiteral("WM_STATE")});
    xprop.waitForFinished();
    return QString::fromUtf8(xprop.readAllStandardOutput()).section(QLatin1String("window state: "), 1).section(QLatin1Char('\n'), 0, 0);
}

// The managed windows of process `pid`, from bottom to top.
QList<uint32_t> StackedWindowsOf(X11TestClient &x11, qint64 pid)
{
    QProcess xdotool;
    xdotool.start(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--pid"), QString::number(pid)});
    xdotool.waitForFinished();
    const QStringList ids = QString::fromLatin1(xdotool.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QList<uint32_t> stacked;
    for (uint32_t id : x11.ClientStacking()) {
        if (ids.contains(QString::number(id)))
            stacked << id;
    }
    return stacked;
}

bool NoWindowOfTheLauncherShows(X11TestClient &x11, qint64 pid)
{
    for (uint32_t id : StackedWindowsOf(x11, pid)) {
        if (WmState(id) == QLatin1String("Normal"))
            return false;
    }
    return true;
}

// The stacking with each window's WM_STATE, for failure messages.
std::string StackingText(X11TestClient &x11)
{
    QStringList windows;
    for (uint32_t id : x11.ClientStacking())
        windows << QString::number(id) + QLatin1Char(':') + WmState(id);
    return windows.join(QLatin1Char(' ')).toStdString();
}

QRect QRectFromText(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char(','));
    return parts.size() == 4 ? QRect(parts[0].toInt(), parts[1].toInt(), parts[2].toInt(), parts[3].toInt()) : QRect();
}

// Whether the windows `bottomToTop` (X ids) lie in that order in the window manager's stacking.
bool StackedInOrder(X11TestClient &x11, const QStringList &bottomToTop)
{
    const QList<uint32_t> stacking = x11.ClientStacking();
    qsizetype below = -1;
    for (const QString &id : bottomToTop) {
        const qsizetype at = stacking.indexOf(id.toUInt());
        if (at <= below)
            return false;
        below = at;
    }
    return true;
}

// What the screen shows at `spot` ("x,y,rrggbb" as the probe prints it), and the colour
// expected there.
std::pair<QString, QString> ScreenColourAt(const QString &spot)
{
    const QStringList parts = spot.split(QLatin1Char(','));
    if (parts.size() != 3)
        return {QStringLiteral("no spot"), spot};
    const QImage pixel = QGuiApplication::primaryScreen()->grabWindow(0, parts[0].toInt(), parts[1].toInt(), 1, 1).toImage();
    return {QColor(pixel.pixel(0, 0)).name().mid(1), parts[2]};
}

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

// A second start's hand-over to a window with `pages` pages, hidden first or not: what the
// window shows then (also after a further hand-over while it is open, which changes
// nothing), and once that is closed.
struct HandOverCase {
    const char *name;
    int pages;
    bool hiddenFirst;
    const char *shows;
    const char *afterClosing;
};

// A row prints as its name, in test names and failures.
void PrintTo(const HandOverCase &row, std::ostream *out) { *out << row.name; }

class HandOverTest : public GameInstanceTest, public testing::WithParamInterface<HandOverCase>
{
};

TEST_P(HandOverTest, OpensOneFurtherLoginOrTheLimitAndClosingItLeavesThePages)
{
    const HandOverCase &handOver = GetParam();
    Instance running(handOver.pages);
    ASSERT_FALSE(running.Await("ready ").isEmpty());
    // No tray runs here: once hidden, only the boss key or a second start brings it back.
    if (handOver.hiddenFirst) {
        running.Send("hide");
        ASSERT_EVENTUALLY(running.State().contains("visible=0"));
    }
    ASSERT_TRUE(InstanceChannel::HandOver());
    ASSERT_EVENTUALLY(running.State().contains(handOver.shows));
    // The answer means the message arrived; the state asked for after it follows its
    // handling.
    ASSERT_TRUE(InstanceChannel::HandOver());
    EXPECT_TRUE(running.State().contains(handOver.shows));
    running.Send("close-modal");
    EXPECT_EVENTUALLY(running.State().contains(handOver.afterClosing));
}

INSTANTIATE_TEST_SUITE_P(
    Windows, HandOverTest,
    testing::Values(HandOverCase{"OneShownPage", 1, false, "logins=1", "logins=0 pages=1"},
                    HandOverCase{"AHiddenWindowIsRestoredFirst", 1, true, "visible=1 logins=1", "visible=1 logins=0 pages=1"},
                    HandOverCase{"ThreePagesShowTheLimitInstead", 3, false, "logins=0 pages=3 toggles=0 message=当前窗体只支持3个游戏页",
                                 "logins=0 pages=3"}),
    [](const testing::TestParamInfo<HandOverCase> &param) { return std::string(param.param.name); });

// Needs a window manager, as the remaining cases: a further login's picture and its page
// window lie above the game page, in the stacking and on the screen, also after the player
// clicked the game page or the main window's caption beside the login.
TEST_F(GameInstanceTest, AFurtherLoginStaysAboveTheGameAfterClicksOnTheMainWindow)
{
    X11TestClient x11;
    Instance running(1);
    ASSERT_FALSE(running.Await("ready ").isEmpty());
    ASSERT_TRUE(InstanceChannel::HandOver());
    QHash<QString, QString> shown;
    ASSERT_EVENTUALLY((shown = running.Windows()).value("loginpage", "0") != "0" && shown.value("page") != "0");
    const QStringList order{shown["main"], shown["page"], shown["login"], shown["loginpage"]};
    const QRect login = QRectFromText(shown["loginrect"]);
    const QRect main = QRectFromText(shown["mainrect"]);
    ASSERT_GT(login.left(), main.left() + 20);
    const auto stillAbove = [&](const char *after) {
        EXPECT_EVENTUALLY(StackedInOrder(x11, order)) << after << ": " << order.join(' ').toStdString() << " in "
                                                      << StackingText(x11);
        EXPECT_EVENTUALLY(ScreenColourAt(shown["spot"]).first == ScreenColourAt(shown["spot"]).second) << after;
    };
    stillAbove("shown");

    const QPoint onPage((main.left() + login.left()) / 2, login.center().y());
    const QPoint onCaption(login.center().x(), main.top() + 12);
    for (const QPoint &click : {onPage, onCaption}) {
        ASSERT_TRUE(Xdotool({"windowactivate", shown["login"]}));
        ASSERT_EVENTUALLY(QString::number(x11.ActiveWindow()) == shown["login"]);
        ASSERT_TRUE(Xdotool({"mousemove", QString::number(click.x()), QString::number(click.y()), "click", "1"}));
        // The window manager took the click: it gave the main window the keyboard.
        ASSERT_EVENTUALLY(QString::number(x11.ActiveWindow()) == shown["main"]);
        stillAbove(click == onPage ? "a click on the page" : "a click on the caption");
    }
    running.Send("close-modal");
    EXPECT_EVENTUALLY(running.State().contains("logins=0 pages=1"));
}

// Minimised through the window manager with a message box, the settings dialog or a further
// login open: nothing of the launcher stays on screen, and the restored window has the box
// or dialog back above its page.
TEST_F(GameInstanceTest, MinimisingWithABoxOrDialogOpenTakesItAlongAndBringsItBackOnTop)
{
    X11TestClient x11;
    for (const QByteArray open : {"message", "settings", "login"}) {
        SCOPED_TRACE(open.toStdString());
        Instance running(1);
        ASSERT_FALSE(running.Await("ready ").isEmpty());
        // The page window shows once its page loaded.
        QHash<QString, QString> before;
        ASSERT_EVENTUALLY((before = running.Windows()).value("page", "0") != "0");
        // A further login comes as from a second start.
        if (open == "login")
            ASSERT_TRUE(InstanceChannel::HandOver());
        else
            running.Send(open);
        // The login's page window comes up once its page arrived: four windows then.
        const int count = open == "login" ? 4 : 3;
        ASSERT_EVENTUALLY(StackedWindowsOf(x11, running.Pid()).size() == count, 30000) << StackingText(x11);
        const uint32_t top = StackedWindowsOf(x11, running.Pid()).last();

        // mutter drops an iconify that comes while it still maps a window: ask until it holds.
        ASSERT_EVENTUALLY(Xdotool({"windowminimize", before["main"]}) && WmState(before["main"].toULongLong()) == "Iconic");
        EXPECT_EVENTUALLY(NoWindowOfTheLauncherShows(x11, running.Pid()));

        ASSERT_TRUE(Xdotool({"windowactivate", before["main"]}));
        EXPECT_EVENTUALLY(WmState(top) == "Normal");
        EXPECT_EVENTUALLY(StackedInOrder(x11, {before["main"], before["page"], QString::number(top)}));
        EXPECT_EVENTUALLY(running.Windows().value("page") == before["page"]) << running.State().toStdString();
        running.Send("close-modal");
        EXPECT_EVENTUALLY(StackedWindowsOf(x11, running.Pid()).size() == 2);
    }
}

// Three instances minimised through the window manager: the boss key hides every one and
// then brings every one back shown, with its page.
TEST_F(GameInstanceTest, TheBossKeyHidesAndRestoresInstancesTheWindowManagerMinimised)
{
    X11TestClient x11;
    Instance a(1), b(1), c(1);
    QList<QHash<QString, QString>> shown;
    for (Instance *instance : {&a, &b, &c}) {
        ASSERT_FALSE(instance->Await("ready ").isEmpty());
        shown << instance->Windows();
        ASSERT_EVENTUALLY(WmState(shown.last()["main"].toULongLong()) == "Normal");
    }
    for (const auto &windows : shown) {
        // mutter drops an iconify that comes while it still maps a window: ask until it holds.
        ASSERT_EVENTUALLY(Xdotool({"windowminimize", windows["main"]}) && WmState(windows["main"].toULongLong()) == "Iconic");
    }

    a.Send("boss");
    for (Instance *instance : {&a, &b, &c})
        EXPECT_EVENTUALLY(instance->State().contains("visible=0"));
    a.Send("boss");
    for (int i = 0; i < 3; ++i) {
        Instance *instance = std::array{&a, &b, &c}[std::size_t(i)];
        EXPECT_EVENTUALLY(instance->State().contains("visible=1"));
        EXPECT_EVENTUALLY(WmState(shown[i]["main"].toULongLong()) == "Normal");
        EXPECT_EVENTUALLY(instance->Windows().value("page") != "0");
    }
}

} // namespace
