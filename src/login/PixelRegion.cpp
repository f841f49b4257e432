#include "login/PixelRegion.h"

#include <QList>
#include <QRect>

namespace {

// One pixel for each device-independent pixel, since window shapes are given in those:
// on a scaled display the device pixel nearest each logical pixel stands for it.
QImage LogicalPixels(const QImage &image)
{
    if (image.devicePixelRatio() == 1.0)
        return image.convertToFormat(QImage::Format_ARGB32);
    return image.scaled(image.deviceIndependentSize().toSize(), Qt::IgnoreAspectRatio, Qt::FastTransformation)
        .convertToFormat(QImage::Format_ARGB32);
}

// Builds the region of the kept pixels of `pixels` (in ARGB32) from horizontal runs, one
// scan line at a time.
template<typename Keep>
QRegion RegionOf(const QImage &pixels, Keep keep)
{
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
    return RegionOf(image.convertToFormat(QImage::Format_ARGB32),
                    [rgb](QRgb pixel) { return (pixel & RGB_MASK) != rgb; });
}

QRegion OpaqueRegion(const QImage &image, int minAlpha)
{
    return RegionOf(LogicalPixels(image), [minAlpha](QRgb pixel) { return qAlpha(pixel) >= minAlpha; });
}

bool IsPlainColour(const QImage &image, QRgb colour)
{
    const QImage pixels = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb rgb = colour & RGB_MASK;
    for (int y = 0; y < pixels.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(pixels.constScanLine(y));
        for (int x = 0; x < pixels.width(); ++x) {
            if ((line[x] & RGB_MASK) != rgb)
                return false;
        }
    }
    return true;
}
