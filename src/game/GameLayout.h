#pragma once

#include <array>

#include <QPoint>
#include <QRect>
#include <QSize>

// Where the main window puts its tab strip, its game pages and its caption buttons.
namespace GameLayout {

// Tab strip: one tab is 189 pixels wide; the strip of page i (0-based) spans i x 189 + 199.
inline constexpr int kTabWidth = 189;
inline constexpr int kTabStripBaseWidth = 199;
inline constexpr QPoint kTabStripOrigin{120, 2};
inline constexpr int kTabStripHeight = 22;
// A tab's title keeps 16 pixels from its left edge and 13 from its right.
inline constexpr int kTabTextLeft = 16;
inline constexpr int kTabTextRight = 13;

// The strip's rectangle once the page with index `newestIndex` has its tab.
QRect TabStripRect(int newestIndex);

// Game pages cover the main window minus its frame (4) and its caption (30).
inline constexpr int kFrame = 4;
inline constexpr int kCaptionHeight = 30;
QRect PageRect(const QRect &mainWindowRect);

// The main window never gets narrower than count x 189 + 457 nor lower than 260.
inline constexpr int kMinimumBaseWidth = 457;
inline constexpr int kMinimumHeight = 260;
QSize MinimumSize(int pageCount);

// The seven caption-bar buttons, by their control ids, from the right.
enum ButtonId {
    kHideButton = 1002,
    kSoundButton = 1022,
    kSystemButton = 1000,
    kPortalButton = 1013,
    kPayButton = 1031,
    kForumButton = 1032,
    kServiceButton = 1030,
};
inline constexpr std::array<int, 7> kButtonIds{kHideButton,   kSoundButton, kSystemButton, kPortalButton,
                                               kPayButton,    kForumButton, kServiceButton};
inline constexpr int kButtonHeight = 28;

// The rectangle of button `id` in a window `clientWidth` pixels wide; empty for an
// unknown id.
QRect ButtonRect(int id, int clientWidth);

// What button `id` shows: its skin image (SkinId) and its white text, empty for the
// picture-only buttons; image 0 for an unknown id.
struct ButtonFace {
    int image;
    const char *text;
};
ButtonFace ButtonFaceOf(int id);

// The close square of a tab: 13 x 13 at the top-right corner of the tab's rectangle.
inline constexpr int kCloseSize = 13;
QRect CloseButtonRect(const QRect &itemRect);

// True when `point` (tab-strip coordinates) lies on the close square of `itemRect`:
// strictly between its left and right edge and no lower than row 12.
bool IsOnCloseButton(const QRect &itemRect, const QPoint &point);

} // namespace GameLayout
