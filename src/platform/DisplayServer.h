#pragma once

#include <functional>

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

// Qt's X11 platform ends the process with exit(1) from inside the event loop when its
// connection to the X server breaks: no window closes, nothing is destroyed. Once set,
// `end` runs on the GUI thread when that happens, before the process goes, so that what
// must reach the disk still can; the process then exits with status 1. It runs at most
// once, never while the display is there, and not from another thread (then the
// process ends as Qt ends it). A later call replaces `end`. Needs the application.
void WhenDisplayLost(std::function<void()> end);

} // namespace DisplayServer
