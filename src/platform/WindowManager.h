#pragma once

#include <QRect>

class QWindow;

// What the launcher asks of the window manager directly, where Qt's own requests would
// say something else.
namespace WindowManager {

// Tells the window manager that `window` belongs to `owner` (WM_TRANSIENT_FOR), which keeps
// it above `owner` under any window manager, whatever type `window` has. Qt tells it only
// for dialogs and tool windows and clears it whenever it shows a normal window, so it is
// set again after each showing. Does nothing where either has no native window yet or the
// window system is not X11.
void SetTransientFor(QWindow *window, const QWindow *owner);

// Asks the window manager to iconify `window` and nothing else (WM_CHANGE_STATE), so a
// window it maximised comes back maximised: Qt's minimised state first ends the maximised
// one. False where the window has no native window or the window system is not X11.
bool Iconify(QWindow *window);

// Asks the window manager to give `window` the keyboard (_NET_ACTIVE_WINDOW), stamped with
// the X server's time now. Qt stamps such a request with the time of the last event the
// program handled, which a window manager refuses once it has seen a newer input from the
// player, as it does while a closing menu hands the keyboard back. False where the window
// has no native window or the window system is not X11.
bool Activate(const QWindow *window);

// Whether the window manager holds `window` iconified now (its WM_STATE on the X server),
// which Qt's window state may not have taken in yet. False where the window has no native
// window or the window system is not X11.
bool IsIconic(const QWindow *window);

// Where the X server has `window` now, in the window's own (device-independent) pixels
// relative to the screen: what the window manager last did with it, which Qt's geometry
// may not have taken in yet. Empty where the window has no native window or the window
// system is not X11.
QRect ServerGeometry(const QWindow *window);

// Asks for `window` at `rect` (device-independent pixels) directly, also where Qt takes
// the window to be there already.
void RequestGeometry(QWindow *window, const QRect &rect);

} // namespace WindowManager
