#include "platform/WindowManager.h"

#include <xcb/xcb.h>

#include <QWindow>

#include "platform/XcbConnection.h"

namespace WindowManager {

void SetTransientFor(QWindow *window, const QWindow *owner)
{
    xcb_connection_t *connection = XcbConnection::Current();
    if (!connection || !window || !owner || !window->handle() || !owner->handle())
        return;
    const auto ownerId = static_cast<xcb_window_t>(owner->winId());
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(window->winId()),
                        XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW, 32, 1, &ownerId);
    xcb_flush(connection);
}

bool Iconify(QWindow *window)
{
    xcb_connection_t *connection = XcbConnection::Current();
    if (!connection || !window || !window->handle())
        return false;
    constexpr uint32_t kIconicState = 3;
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = static_cast<xcb_window_t>(window->winId());
    message.type = XcbConnection::Atom(connection, "WM_CHANGE_STATE");
    message.data.data32[0] = kIconicState;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    xcb_send_event(connection, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&message));
    xcb_flush(connection);
    return true;
}

} // namespace WindowManager
