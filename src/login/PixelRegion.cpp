#include "login/PixelRegion.h"

#include <QList>
#include <QRect>

namespace {

// Builds the region from horizontal runs of kept pixels, one scan line at a time.
template<typename Keep>
QRegion RegionOf(const QImage &image, Keep keep)
{
    const QImage pixels = image.convertToFormat(QImage::Format_ARGB32);
    QList<QRect> runs;
    for (int y = 0; y < pixels.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(pixels.constScanLine(y));
        int x = 0;
        while (x < pixels.width()) {
            while (x < pixels.width() && !keep(line[x]))
                ++x;
            const int start = x;
            while (x < pixels.width() && keep(line[x]))
                ++x;
            if (x > start)
                runs.append(QRect(start, y, x - start, 1));
        }
    }
    QRegion region;
    region.setRects(runs.constData(), static_cast<int>(runs.size()));
    return region;
}

} // namespace

QRegion RegionWithoutKey(const QImage &image, QRgb key)
{
    const QRgb rgb = key & RGB_MASK;
    return RegionOf(image, [rgb](QRgb pixel) { return (pixel & RGB_MASK) != rgb; });
}

QRegion OpaqueRegion(const QImage &image, int minAlpha)
{
    return RegionOf(image, [minAlpha](QRgb pixel) { return qAlpha(pixel) >= minAlpha; });
}
