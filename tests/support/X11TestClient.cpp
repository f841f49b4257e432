#include "support/X11TestClient.h"

#include <cstdlib>
#include <cstring>
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

uint32_t X11TestClient::Atom(const char *name)
{
    const Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(m_connection, xcb_intern_atom(m_connection, 0, uint16_t(strlen(name)), name), nullptr),
        &std::free);
    return reply ? reply->atom : uint32_t(XCB_ATOM_NONE);
}

QList<uint32_t> X11TestClient::RootCardinals(const char *property)
{
    const xcb_get_property_cookie_t cookie =
        xcb_get_property(m_connection, 0, m_root, Atom(property), XCB_ATOM_ANY, 0, 1024);
    const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(m_connection, cookie, nullptr), &std::free);
    QList<uint32_t> values;
    if (!reply || reply->format != 32)
        return values;
    const auto *data = static_cast<const uint32_t *>(xcb_get_property_value(reply.get()));
    values = QList<uint32_t>(data, data + xcb_get_property_value_length(reply.get()) / 4);
    return values;
}

uint32_t X11TestClient::ShowTopPanel(int height)
{
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
    const xcb_window_t panel = xcb_generate_id(m_connection);
    xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, panel, m_root, 0, 0, screen->width_in_pixels,
                      uint16_t(height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
    const uint32_t dock = Atom("_NET_WM_WINDOW_TYPE_DOCK");
    xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, panel, Atom("_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM, 32, 1,
                        &dock);
    // left, right, top, bottom, then the start and end of each strip.
    const uint32_t strut[12] = {0, 0, uint32_t(height), 0, 0, 0, 0, 0, 0, uint32_t(screen->width_in_pixels - 1), 0, 0};
    xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, panel, Atom("_NET_WM_STRUT_PARTIAL"), XCB_ATOM_CARDINAL,
                        32, 12, strut);
    xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, panel, Atom("_NET_WM_STRUT"), XCB_ATOM_CARDINAL, 32, 4,
                        strut);
    xcb_map_window(m_connection, panel);
    xcb_flush(m_connection);
    return panel;
}

QRect X11TestClient::WorkArea()
{
    const QList<uint32_t> area = RootCardinals("_NET_WORKAREA");
    return area.size() < 4 ? QRect() : QRect(int(area[0]), int(area[1]), int(area[2]), int(area[3]));
}

QList<uint32_t> X11TestClient::ClientStacking()
{
    return RootCardinals("_NET_CLIENT_LIST_STACKING");
}

uint32_t X11TestClient::ActiveWindow()
{
    const QList<uint32_t> active = RootCardinals("_NET_ACTIVE_WINDOW");
    return active.isEmpty() ? 0 : active.first();
}

bool PressKeys(const QString &keys)
{
    const bool ok = QProcess::execute(QStringLiteral("xdotool"), QStringList{QStringLiteral("key")} + keys.split(' ')) == 0;
    TestWait::ProcessFor(kSettleMs);
    return ok;
}
