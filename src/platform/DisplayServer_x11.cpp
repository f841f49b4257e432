#include "platform/DisplayServer.h"

#include <xcb/xcb.h>

#include <QByteArray>
#include <QtGlobal>

namespace DisplayServer {

namespace {

const char *const kPlatformVariable = "QT_QPA_PLATFORM";
bool g_platformSetHere = false;

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

} // namespace DisplayServer
