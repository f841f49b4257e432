#include "platform/DisplayServer.h"

#include <cstdlib>

#include <xcb/xcb.h>

#include <QByteArray>
#include <QGuiApplication>
#include <QThread>
#include <QtGlobal>

#include "platform/XcbConnection.h"

namespace DisplayServer {

namespace {

const char *const kPlatformVariable = "QT_QPA_PLATFORM";
bool g_platformSetHere = false;
QtMessageHandler g_previousHandler = nullptr;
// Set once; taken (and so run at most once) by the first message after the loss.
std::function<void()> *g_whenLost = nullptr;

bool ConnectionBroken()
{
    xcb_connection_t *connection = XcbConnection::Current();
    return connection && xcb_connection_has_error(connection) != 0;
}

// Qt warns that the connection broke right before it calls exit(1), with every object
// still alive: the end runs there and then finishes the exit itself, so that nothing
// of the destroyed application is used again.
void WatchMessages(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (g_previousHandler)
        g_previousHandler(type, context, text);
    if (!g_whenLost || !*g_whenLost || !ConnectionBroken() || QThread::currentThread() != qGuiApp->thread())
        return;
    const std::function<void()> end = std::move(*g_whenLost);
    *g_whenLost = nullptr;
    end();
    std::exit(1);
}

} // namespace

bool XDisplayReachable()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return false;
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    const bool reachable = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return reachable;
}

bool ChoosePlatform()
{
    if (!qEnvironmentVariableIsEmpty(kPlatformVariable))
        return true;
    if (!XDisplayReachable())
        return false;
    g_platformSetHere = qputenv(kPlatformVariable, QByteArrayLiteral("xcb"));
    return true;
}

void ForgetPlatformChoice()
{
    if (g_platformSetHere)
        qunsetenv(kPlatformVariable);
    g_platformSetHere = false;
}

void WhenDisplayLost(std::function<void()> end)
{
    if (!g_whenLost) {
        g_whenLost = new std::function<void()>;
        g_previousHandler = qInstallMessageHandler(WatchMessages);
    }
    *g_whenLost = std::move(end);
}

} // namespace DisplayServer
