#pragma once

class QWindow;

// What the window manager is told about the order of the launcher's windows.
namespace WindowStacking {

// Tells the window manager that `window` belongs to `owner` (WM_TRANSIENT_FOR), which keeps
// it above `owner` under any window manager, whatever type `window` has. Qt tells it only
// for dialogs and tool windows and clears it whenever it shows a normal window, so it is
// set again after each showing. Does nothing where either has no native window yet or the
// window system is not X11.
void SetTransientFor(QWindow *window, const QWindow *owner);

} // namespace WindowStacking
