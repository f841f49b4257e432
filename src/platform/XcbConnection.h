#pragma once

#include <xcb/xcb.h>

// The application's own connection to the X server, for the calls Qt has no interface for.
namespace XcbConnection {

// The connection of the running application; null without one or off X11.
xcb_connection_t *Current();

// The atom named `name` on `connection`; XCB_ATOM_NONE when the server gave none.
xcb_atom_t Atom(xcb_connection_t *connection, const char *name);

} // namespace XcbConnection
