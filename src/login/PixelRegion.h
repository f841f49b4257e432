#pragma once

#include <QImage>
#include <QRegion>
#include <QRgb>

// The pixels of `image` that are not exactly `key` (alpha ignored): what a colour-keyed
// window keeps; the rest shows the window behind.
QRegion RegionWithoutKey(const QImage &image, QRgb key);

// The pixels of `image` with any opacity (alpha above 0): the shape of a translucent
// window drawn from it.
QRegion OpaqueRegion(const QImage &image);
