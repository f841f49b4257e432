#pragma once

// The window system the launcher's windows need: positions, masks and key grabs work on
// X11 only, so a Wayland session is served through its XWayland display.
namespace DisplayServer {

// Whether the X display named by DISPLAY accepts a connection.
bool XDisplayReachable();

// Before the GUI application exists: keeps a Qt platform the user chose, else picks
// xcb when an X display is reachable. False when neither holds: no window can open.
// The choice is handed to Qt through the environment; ForgetPlatformChoice takes it
// back once the application exists, so programs started later choose for themselves.
bool ChoosePlatform();
void ForgetPlatformChoice();

} // namespace DisplayServer
