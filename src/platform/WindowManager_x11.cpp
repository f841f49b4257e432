#include "platform/WindowManager.h"

#include <cstdlib>
#include <cstring>
#include <memory>

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QWindow>

namespace WindowManager {

namespace {

xcb_connection_t *Connection()
{
    const auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t Atom(xcb_connection_t *connection, const char *name)
{
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr),
        &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

} // namespace

void SetTransientFor(QWindow *window, const QWindow *owner)
{
    xcb_connection_t *connection = Connection();
    if (!connection || !window || !owner || !window->handle() || !owner->handle())
        return;
    const auto ownerId = static_cast<xcb_window_t>(owner->winId());
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(window->winId()),
                        XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW, 32, 1, &ownerId);
    xcb_flush(connection);
}

bool Iconify(QWindow *window)
{
    xcb_connection_t *connection = Connection();
    if (!connection || !window || !window->handle())
        return false;
    constexpr uint32_t kIconicState = 3;
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = static_cast<xcb_window_t>(window->winId());
    message.type = Atom(connection, "WM_CHANGE_STATE");
    message.data.data32[0] = kIconicState;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    xcb_send_event(connection, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&message));
    xcb_flush(connection);
    return true;
}

} // namespace WindowManager
