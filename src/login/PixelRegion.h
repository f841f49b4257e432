#pragma once

#include <QImage>
#include <QRegion>
#include <QRgb>

// The pixels of `image` that are not exactly `key` (alpha ignored): what a colour-keyed
// window keeps; the rest shows the window behind.
QRegion RegionWithoutKey(const QImage &image, QRgb key);

// The pixels of `image` whose alpha is at least `minAlpha`: the shape of a translucent
// window drawn from it (1 keeps every pixel with any opacity).
QRegion OpaqueRegion(const QImage &image, int minAlpha = 1);
