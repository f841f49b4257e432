#pragma once

#include <QImage>
#include <QRect>
#include <QRegion>
#include <QSize>

#include <array>

// Frames in the image strip of every skinned button (normal, hover, pressed, disabled).
inline constexpr int kButtonFrameCount = 4;

// Side of the small icons drawn in captions and static controls.
inline constexpr int kSmallIconSize = 16;

// One piece of a nine-grid: where it goes in the window and where it comes from in the image.
struct NineGridPiece
{
    QRect target;
    QRect source;
};

// The nine pieces (top-left, top, top-right, left, right, centre, bottom-left, bottom,
// bottom-right) that stretch an image of size `image` over a window of size `window`.
// Corners are copied 1:1, edges and centre stretched. `captionHeight` -1 makes the top
// band `border` high.
std::array<NineGridPiece, 9> NineGridPieces(QSize window, QSize image, int border, int captionHeight);

// The window outline cut from the key-coloured pixels in the 9 x 9 corner squares of the
// background `back`: top corners at the window's top, bottom corners following its height.
QRegion SkinWindowRegion(const QImage &back, QSize window);

// Where a point of a skinned dialog lands, as the window system's hit codes do.
enum class HitCode {
    Client,
    Caption,
    Left,
    Right,
    Top,
    TopLeft,
    TopRight,
    Bottom,
    BottomLeft,
    BottomRight,
};

// Hit test of a client point of a skinned dialog of client size `client`. A maximised
// dialog leaves everything to the client area. `captionHeight` -1 makes every non-border
// point caption. The top resize band of a resizable dialog is a fixed 3 pixels.
HitCode DlgHitTest(QPoint point, QSize client, int border, int captionHeight, bool resizable, bool maximized);

// True for the hit codes that resize the window.
bool IsSizingHit(HitCode code);

// The maximised rectangle: the work area, shrunk to at most maxWidth x maxHeight and kept centred.
QRect MaximizedRect(const QRect &workArea, int maxWidth, int maxHeight);

// The first restore rectangle: the work area inset by an eighth of its width on the left
// and right and an eighth of its height at the top and bottom.
QRect InitialRestoreRect(const QRect &workArea);

// The rectangle of a caption button whose frame strip is `strip`, with its
// right edge at `rightEdge` and its top at `top`.
QRect CaptionButtonRect(int rightEdge, int top, QSize strip);

// Baseline-free title origin: y of the title's top for a caption band of `captionHeight`
// and a font of pixel height `fontHeight`; 4 when the band is too small or absent.
int TitleTop(int captionHeight, int fontHeight);

// Top of the small icon in the caption.
int IconTop(int captionHeight);
