#include "game/GameLayout.h"

namespace GameLayout {

namespace {

struct ButtonPlace {
    int id;
    int offsetFromRight;
    int width;
};

constexpr std::array<ButtonPlace, 7> kButtonPlaces{{
    {kHideButton, 114, 27},
    {kSoundButton, 141, 27},
    {kSystemButton, 185, 44},
    {kPortalButton, 229, 44},
    {kPayButton, 273, 44},
    {kForumButton, 317, 44},
    {kServiceButton, 361, 44},
}};

} // namespace

QRect TabStripRect(int newestIndex)
{
    return {kTabStripOrigin, QSize(newestIndex * kTabWidth + kTabStripBaseWidth, kTabStripHeight)};
}

QRect PageRect(const QRect &mainWindowRect)
{
    return mainWindowRect.adjusted(kFrame, kCaptionHeight, -kFrame, -kFrame);
}

QSize MinimumSize(int pageCount)
{
    return {pageCount * kTabWidth + kMinimumBaseWidth, kMinimumHeight};
}

QRect ButtonRect(int id, int clientWidth)
{
    for (const ButtonPlace &place : kButtonPlaces) {
        if (place.id == id)
            return {clientWidth - place.offsetFromRight, 0, place.width, kButtonHeight};
    }
    return {};
}

QRect CloseButtonRect(const QRect &itemRect)
{
    const int right = itemRect.x() + itemRect.width();
    return {right - kCloseSize, itemRect.y(), kCloseSize, kCloseSize};
}

bool IsOnCloseButton(const QRect &itemRect, const QPoint &point)
{
    const int right = itemRect.x() + itemRect.width();
    return point.x() > right - kCloseSize && point.x() < right && point.y() <= kCloseSize - 1;
}

} // namespace GameLayout
