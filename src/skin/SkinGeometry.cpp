#include "SkinGeometry.h"

#include <cstdlib>

#include "skin/SkinImage.h"

namespace {

constexpr int kCornerSize = 9;      // only this square in each corner is examined for key pixels
constexpr int kTopResizeBand = 3;   // top resize band of a resizable dialog, independent of the border
constexpr int kIconTopWithoutCaption = 6;
constexpr int kTitleTopFallback = 6;

bool IsKey(const QImage &image, int x, int y)
{
    if (x < 0 || y < 0 || x >= image.width() || y >= image.height())
        return false;
    return (image.pixel(x, y) | 0xff000000) == (KeyColor | 0xff000000);
}

} // namespace

std::array<NineGridPiece, 9> NineGridPieces(QSize window, QSize image, int border, int captionHeight)
{
    const int W = window.width(), H = window.height();
    const int w = image.width(), h = image.height();
    const int B = border;
    const int T = captionHeight == -1 ? border : captionHeight;
    return {{
        {{0, 0, B, T}, {0, 0, B, T}},
        {{B, 0, W - 2 * B, T}, {B, 0, w - 2 * B, T}},
        {{W - B, 0, B, T}, {w - B, 0, B, T}},
        {{0, T, B, H - T - B}, {0, T, B, h - T - B}},
        {{W - B, T, B, H - T - B}, {w - B, T, B, h - T - B}},
        {{B, T, W - 2 * B, H - T - B}, {B, T, w - 2 * B, h - T - B}},
        {{0, H - B, B, B}, {0, h - B, B, B}},
        {{B, H - B, W - 2 * B, B}, {B, h - B, w - 2 * B, B}},
        {{W - B, H - B, B, B}, {w - B, h - B, B, B}},
    }};
}

QRegion SkinWindowRegion(const QImage &back, QSize window)
{
    QRegion region(0, 0, window.width(), window.height());
    if (back.isNull())
        return region;
    const int w = back.width(), h = back.height();
    const int W = window.width(), H = window.height();
    for (int y = 0; y < h && y < kCornerSize; ++y) {
        for (int x = 0; x < w && x < kCornerSize; ++x) {
            if (IsKey(back, x, y))
                region -= QRegion(x, y, 1, 1);
            if (IsKey(back, w - 1 - x, y))
                region -= QRegion(W - 1 - x, y, 1, 1);
        }
    }
    for (int y = h - kCornerSize; y < h; ++y) {
        for (int x = 0; x < w && x < kCornerSize; ++x) {
            if (IsKey(back, x, y))
                region -= QRegion(x, H - h + y, 1, 1);
            if (IsKey(back, w - 1 - x, y))
                region -= QRegion(W - 1 - x, H - h + y, 1, 1);
        }
    }
    return region;
}

HitCode DlgHitTest(QPoint point, QSize client, int border, int captionHeight, bool resizable, bool maximized)
{
    if (maximized)
        return HitCode::Client;
    const int x = point.x(), y = point.y();
    const int B = border, C = captionHeight;
    const int cw = client.width(), ch = client.height();
    if (!resizable)
        return (C == -1 || (y >= 0 && y < C)) ? HitCode::Caption : HitCode::Client;
    const bool top = y >= 0 && y < B;
    const bool bottom = y >= ch - B && y < ch;
    if (x >= 0 && x < B)
        return top ? HitCode::TopLeft : bottom ? HitCode::BottomLeft : HitCode::Left;
    if (x >= cw - B && x < cw)
        return top ? HitCode::TopRight : bottom ? HitCode::BottomRight : HitCode::Right;
    if (y >= 0 && y < kTopResizeBand)
        return HitCode::Top;
    if (y >= kTopResizeBand && y < C)
        return HitCode::Caption;
    if (C == -1)
        return HitCode::Caption;
    if (bottom)
        return HitCode::Bottom;
    return HitCode::Client;
}

bool IsSizingHit(HitCode code)
{
    return code != HitCode::Client && code != HitCode::Caption;
}

QRect MaximizedRect(const QRect &workArea, int maxWidth, int maxHeight)
{
    QRect r = workArea;
    if (r.width() > maxWidth) {
        const int inset = (r.width() - maxWidth) / 2;
        r.setLeft(r.left() + inset);
        r.setRight(r.right() - inset);
    }
    if (r.height() > maxHeight) {
        const int inset = (r.height() - maxHeight) / 2;
        r.setTop(r.top() + inset);
        r.setBottom(r.bottom() - inset);
    }
    return r;
}

QRect InitialRestoreRect(const QRect &workArea)
{
    const int dx = workArea.width() / 8, dy = workArea.height() / 8;
    return workArea.adjusted(dx, dy, -dx, -dy);
}

QRect CaptionButtonRect(int rightEdge, int top, QSize strip)
{
    const int width = strip.width() / kButtonFrameCount;
    return QRect(rightEdge - width, top, width, strip.height());
}

int TitleTop(int captionHeight, int fontHeight)
{
    // Truncating division, as the caption band may be -1.
    int q = (captionHeight - std::abs(fontHeight) + 1) / 2;
    if (q < 0)
        q = kTitleTopFallback;
    return q - 2;
}

int IconTop(int captionHeight)
{
    return captionHeight == -1 ? kIconTopWithoutCaption : (captionHeight - (kSmallIconSize - 1)) / 2;
}
