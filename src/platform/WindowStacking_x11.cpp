#include "platform/WindowStacking.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QWindow>

namespace WindowStacking {

void SetTransientFor(QWindow *window, const QWindow *owner)
{
    const auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !window || !owner || !window->handle() || !owner->handle())
        return;
    const auto ownerId = static_cast<xcb_window_t>(owner->winId());
    xcb_change_property(x11->connection(), XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(window->winId()),
                        XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW, 32, 1, &ownerId);
    xcb_flush(x11->connection());
}

} // namespace WindowStacking
