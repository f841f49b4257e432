#include "platform/WindowShape.h"

#include <cstdlib>
#include <memory>
#include <vector>

#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <QRegion>
#include <QWindow>

#include "platform/XcbConnection.h"

namespace WindowShape {

namespace {

bool HasShapeExtension(xcb_connection_t *connection)
{
    const xcb_query_extension_reply_t *extension = xcb_get_extension_data(connection, &xcb_shape_id);
    return extension && extension->present;
}

std::vector<xcb_rectangle_t> Rectangles(const QRegion &region)
{
    std::vector<xcb_rectangle_t> rectangles;
    rectangles.reserve(static_cast<size_t>(region.rectCount()));
    for (const QRect &rect : region) {
        rectangles.push_back({static_cast<int16_t>(rect.x()), static_cast<int16_t>(rect.y()),
                              static_cast<uint16_t>(rect.width()), static_cast<uint16_t>(rect.height())});
    }
    return rectangles;
}

} // namespace

void SetDevicePixels(QWindow *window, const QRegion &region)
{
    xcb_connection_t *connection = XcbConnection::Current();
    if (!connection || !window || !HasShapeExtension(connection))
        return;
    const std::vector<xcb_rectangle_t> rectangles = Rectangles(region);
    // A region's rectangles come in bands from top to bottom, each band from left to right.
    xcb_shape_rectangles(connection, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, XCB_CLIP_ORDERING_YX_BANDED,
                         static_cast<xcb_window_t>(window->winId()), 0, 0,
                         static_cast<uint32_t>(rectangles.size()), rectangles.data());
    xcb_flush(connection);
}

QSize DeviceSize(QWindow *window)
{
    xcb_connection_t *connection = XcbConnection::Current();
    if (!connection || !window)
        return {};
    const std::unique_ptr<xcb_get_geometry_reply_t, decltype(&std::free)> geometry(
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, static_cast<xcb_window_t>(window->winId())),
                               nullptr),
        &std::free);
    return geometry ? QSize(geometry->width, geometry->height) : QSize();
}

} // namespace WindowShape
