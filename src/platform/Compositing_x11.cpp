#include "platform/Compositing.h"

#include <cstdlib>
#include <memory>

#include <xcb/xcb.h>

#include "platform/XcbConnection.h"

namespace Compositing {

bool IsActive()
{
    xcb_connection_t *connection = XcbConnection::Current();
    if (!connection)
        return false;
    // A compositing manager owns the selection "_NET_WM_CM_S<screen>".
    const xcb_atom_t atom = XcbConnection::Atom(connection, "_NET_WM_CM_S0");
    if (atom == XCB_ATOM_NONE)
        return false;
    const std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&std::free)> owner(
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, atom), nullptr),
        &std::free);
    return owner && owner->owner != XCB_NONE;
}

} // namespace Compositing
