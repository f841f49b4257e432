#include "platform/WindowManager.h"

#include <cstdlib>
#include <memory>

#include <xcb/xcb.h>

#include <QWindow>

#include "platform/XcbConnection.h"

namespace WindowManager {

namespace {

constexpr uint32_t kIconicState = 3;

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
