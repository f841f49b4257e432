#pragma once

#include <QSize>

class QRegion;
class QWindow;

// The shape of a native window in its own device pixels. QWidget::setMask takes
// device-independent pixels and scales each rectangle to the display, which on a display
// scaled by a fraction (1.25, 1.5, 1.75) widens or narrows edges by a device pixel.
namespace WindowShape {

// Shows only `region` of `window`, given in device pixels from the window's top-left
// corner; an empty region shows nothing. Creates the native window if it has none yet,
// so a shape set before the window is shown holds from its first frame. Does nothing
// where the window system is not X11 or has no shape extension.
void SetDevicePixels(QWindow *window, const QRegion &region);

// The size of `window` on the window system in device pixels, which on a display scaled by
// a fraction may be a pixel less or more than its rendering; empty where it has none.
QSize DeviceSize(QWindow *window);

} // namespace WindowShape
