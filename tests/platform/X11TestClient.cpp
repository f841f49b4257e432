#include "platform/X11TestClient.h"

#include <cstdlib>
#include <memory>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <QProcess>

#include "support/Wait.h"

namespace {

constexpr int kSettleMs = 120;

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

// The keycode xmodmap lists first for a key symbol name, through `xmodmap -pke`.
xcb_keycode_t KeycodeFor(const QString &keySymName)
{
    QProcess xmodmap;
    xmodmap.start(QStringLiteral("xmodmap"), {QStringLiteral("-pke")});
    xmodmap.waitForFinished();
    for (const QByteArray &line : xmodmap.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> words = line.simplified().split(' ');
        if (words.size() > 3 && words.at(0) == "keycode" && words.mid(3).contains(keySymName.toLatin1()))
            return xcb_keycode_t(words.at(1).toInt());
    }
    return 0;
}

} // namespace

X11TestClient::X11TestClient()
    : m_connection(xcb_connect(nullptr, nullptr))
{
    m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
}

X11TestClient::~X11TestClient()
{
    xcb_disconnect(m_connection);
}

bool X11TestClient::Grab(const QString &keySymName, uint16_t state)
{
    const xcb_keycode_t code = KeycodeFor(keySymName);
    if (!code)
        return false;
    xcb_generic_error_t *error = xcb_request_check(
        m_connection,
        xcb_grab_key_checked(m_connection, 1, m_root, state, code, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    std::free(error);
    return !error;
}

uint16_t X11TestClient::ModifierState()
{
    const Reply<xcb_query_pointer_reply_t> pointer(
        xcb_query_pointer_reply(m_connection, xcb_query_pointer(m_connection, m_root), nullptr), &std::free);
    return pointer ? pointer->mask & 0xff : 0;
}

bool X11TestClient::SetLock(const QString &keyName, uint16_t mask, bool on)
{
    if (bool(ModifierState() & mask) != on)
        PressKeys(keyName);
    return bool(ModifierState() & mask) == on;
}

bool PressKeys(const QString &keys)
{
    const bool ok = QProcess::execute(QStringLiteral("xdotool"), QStringList{QStringLiteral("key")} + keys.split(' ')) == 0;
    TestWait::ProcessFor(kSettleMs);
    return ok;
}
