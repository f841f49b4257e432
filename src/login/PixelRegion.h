#pragma once

#include <QImage>
#include <QRegion>
#include <QRgb>

// Both regions are in device-independent pixels, as window shapes are: an image grabbed at
// a device pixel ratio of 2 gives a region half its pixel size.

// The pixels of `image` that are not exactly `key` (alpha ignored): what a colour-keyed
// window keeps; the rest shows the window behind.
QRegion RegionWithoutKey(const QImage &image, QRgb key);

// The pixels of `image` whose alpha is at least `minAlpha`: the shape of a translucent
// window drawn from it (1 keeps every pixel with any opacity).
QRegion OpaqueRegion(const QImage &image, int minAlpha = 1);

// Whether every pixel of `image` is `colour` (alpha ignored); an empty image is.
bool IsPlainColour(const QImage &image, QRgb colour);
