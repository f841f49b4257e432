#include "platform/Compositing.h"

#include <cstdlib>
#include <memory>

#include <xcb/xcb.h>

#include <QGuiApplication>

namespace Compositing {

bool IsActive()
{
    const auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11)
        return false;
    xcb_connection_t *connection = x11->connection();
    // A compositing manager owns the selection "_NET_WM_CM_S<screen>".
    static constexpr char kSelection[] = "_NET_WM_CM_S0";
    const xcb_intern_atom_cookie_t atomCookie =
        xcb_intern_atom(connection, 0, sizeof(kSelection) - 1, kSelection);
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> atom(
        xcb_intern_atom_reply(connection, atomCookie, nullptr), &std::free);
    if (!atom)
        return false;
    const std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&std::free)> owner(
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, atom->atom), nullptr),
        &std::free);
    return owner && owner->owner != XCB_NONE;
}

} // namespace Compositing
