#include "platform/WindowManager.h"

#include <algorithm>
#include <cstdlib>
#include <initializer_list>
#include <memory>

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QWindow>

#include "platform/XcbConnection.h"

namespace WindowManager {

namespace {

constexpr uint32_t kIconicState = 3;
// _NET_ACTIVE_WINDOW's source indication of a request by the application itself.
constexpr uint32_t kApplicationSource = 1;

// The X server's time now, 0 where it cannot be told: a property change on a window of a
// connection of its own, whose notice carries the time, without touching Qt's events.
xcb_timestamp_t ServerTimeNow()
{
    xcb_connection_t *probe = xcb_connect(nullptr, nullptr);
    xcb_timestamp_t now = 0;
    if (!xcb_connection_has_error(probe)) {
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(probe)).data->root;
        const xcb_window_t window = xcb_generate_id(probe);
        const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        const auto created = xcb_create_window_checked(probe, XCB_COPY_FROM_PARENT, window, root, -1, -1, 1, 1, 0,
                                                       XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT,
                                                       XCB_CW_EVENT_MASK, &mask);
        const auto changed = xcb_change_property_checked(probe, XCB_PROP_MODE_APPEND, window, XCB_ATOM_WM_NAME,
                                                         XCB_ATOM_STRING, 8, 0, nullptr);
        xcb_generic_error_t *createError = xcb_request_check(probe, created);
        xcb_generic_error_t *changeError = xcb_request_check(probe, changed);
        // Without either error the notice is on its way.
        const bool noticeComes = !createError && !changeError;
        std::free(createError);
        std::free(changeError);
        while (noticeComes && !now) {
            xcb_generic_event_t *event = xcb_wait_for_event(probe);
            if (!event)
                break;
            if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY)
                now = reinterpret_cast<const xcb_property_notify_event_t *>(event)->time;
            std::free(event);
        }
    }
    xcb_disconnect(probe);
    return now;
}

// Sends the window manager a message of `type` about `window`, as the desktop conventions
// ask: to the root window, with up to five values.
void SendToWindowManager(xcb_connection_t *connection, const QWindow *window, const char *type,
                         std::initializer_list<uint32_t> data)
{
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = static_cast<xcb_window_t>(window->winId());
    message.type = XcbConnection::Atom(connection, type);
    std::copy_n(data.begin(), std::min<size_t>(data.size(), 5), message.data.data32);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    xcb_send_event(connection, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&message));
    xcb_flush(connection);
}

} // namespace

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
    SendToWindowManager(connection, window, "WM_CHANGE_STATE", {kIconicState});
    return true;
}

bool Activate(const QWindow *window)
{
    xcb_connection_t *connection = XcbConnection::Current();
    if (!connection || !window || !window->handle())
        return false;
    const xcb_timestamp_t now = ServerTimeNow();
    if (!now)
        return false;
    const QWindow *focus = QGuiApplication::focusWindow();
    const uint32_t focusId = focus && focus->handle() ? static_cast<uint32_t>(focus->winId()) : XCB_NONE;
    SendToWindowManager(connection, window, "_NET_ACTIVE_WINDOW", {kApplicationSource, now, focusId});
    return true;
}

bool IsIconic(const QWindow *window)
{
    xcb_connection_t *connection = XcbConnection::Current();
    if (!connection || !window || !window->handle())
        return false;
    const xcb_atom_t wmState = XcbConnection::Atom(connection, "WM_STATE");
    const xcb_get_property_cookie_t cookie =
        xcb_get_property(connection, 0, static_cast<xcb_window_t>(window->winId()), wmState, wmState, 0, 1);
    const std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(connection, cookie, nullptr), &std::free);
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 4)
        return false;
    return *static_cast<const uint32_t *>(xcb_get_property_value(reply.get())) == kIconicState;
}

QRect ServerGeometry(const QWindow *window)
{
    xcb_connection_t *connection = XcbConnection::Current();
    if (!connection || !window || !window->handle())
        return {};
    const auto id = static_cast<xcb_window_t>(window->winId());
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const xcb_get_geometry_cookie_t size = xcb_get_geometry(connection, id);
    const auto origin = xcb_translate_coordinates(connection, id, root, 0, 0);
    const std::unique_ptr<xcb_get_geometry_reply_t, decltype(&std::free)> sizeReply(
        xcb_get_geometry_reply(connection, size, nullptr), &std::free);
    const std::unique_ptr<xcb_translate_coordinates_reply_t, decltype(&std::free)> originReply(
        xcb_translate_coordinates_reply(connection, origin, nullptr), &std::free);
    if (!sizeReply || !originReply)
        return {};
    const qreal ratio = window->devicePixelRatio();
    return QRect(qRound(originReply->dst_x / ratio), qRound(originReply->dst_y / ratio),
                 qRound(sizeReply->width / ratio), qRound(sizeReply->height / ratio));
}

void RequestGeometry(QWindow *window, const QRect &rect)
{
    xcb_connection_t *connection = XcbConnection::Current();
    if (!connection || !window || !window->handle())
        return;
    const qreal ratio = window->devicePixelRatio();
    const uint32_t values[] = {uint32_t(qRound(rect.x() * ratio)), uint32_t(qRound(rect.y() * ratio)),
                               uint32_t(qRound(rect.width() * ratio)), uint32_t(qRound(rect.height() * ratio))};
    xcb_configure_window(connection, static_cast<xcb_window_t>(window->winId()),
                         XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT,
                         values);
    xcb_flush(connection);
}

} // namespace WindowManager
