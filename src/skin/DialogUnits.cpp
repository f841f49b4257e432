#include "skin/DialogUnits.h"

namespace {

constexpr int kBaseWidth = 6;
constexpr int kBaseHeight = 13;

int Scale(int value, int base, int divisor)
{
    // MulDiv-style rounding half away from zero.
    const int product = value * base;
    return (product >= 0 ? product + divisor / 2 : product - divisor / 2) / divisor;
}

} // namespace

QRect DialogUnitsToPixels(const QRect &units)
{
    return QRect(Scale(units.x(), kBaseWidth, 4), Scale(units.y(), kBaseHeight, 8),
                 Scale(units.width(), kBaseWidth, 4), Scale(units.height(), kBaseHeight, 8));
}
