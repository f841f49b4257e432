#pragma once

#include <QImage>
#include <QRegion>
#include <QRgb>

// The pixels of `image` that are not exactly `key` (alpha ignored): what a colour-keyed
// window keeps; the rest shows the window behind. The region is in the image's own
// pixels, which for a window's rendering are the display's device pixels at any ratio.
QRegion RegionWithoutKey(const QImage &image, QRgb key);

// The pixels of `image` whose alpha is at least `minAlpha`: the shape of a translucent
// window drawn from it (1 keeps every pixel with any opacity). The region is in
// device-independent pixels, as QWidget::setMask takes them: an image with a device pixel
// ratio of 2 gives a region half its pixel size.
QRegion OpaqueRegion(const QImage &image, int minAlpha = 1);

// Whether every pixel of `image` is `colour` (alpha ignored); an empty image is.
bool IsPlainColour(const QImage &image, QRgb colour);
