#include "ProgressGeometry.h"

#include <algorithm>

ProgressFill ProgressFillFor(int fillWidth, int lower, int upper, int position)
{
    ProgressFill f;
    const int range = upper - lower;
    if (range <= 0 || fillWidth <= 0)
        return f;
    const int filled = int(double(fillWidth) / range * position);
    f.filled = std::clamp(filled, 0, fillWidth);
    f.half = f.filled / 2;
    return f;
}

QString ProgressPercentText(int lower, int upper, int position)
{
    const int range = upper - lower;
    const int percent = range > 0 ? position * 100 / range : 0;
    return QStringLiteral("%1%").arg(percent);
}

QRect CentredFillRect(QSize bar, QSize fill)
{
    const int dx = (bar.width() - fill.width()) / 2;
    const int dy = (bar.height() - fill.height()) / 2;
    return QRect(QPoint(dx, dy), fill);
}
