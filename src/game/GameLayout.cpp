#include "game/GameLayout.h"

#include "skin/SkinImage.h"

namespace GameLayout {

namespace {

struct ButtonPlace {
    int id;
    int offsetFromRight;
    int width;
    ButtonFace face;
};

constexpr std::array<ButtonPlace, 7> kButtonPlaces{{
    {kHideButton, 114, 27, {SkinId::WideButton, ""}},
    {kSoundButton, 141, 27, {SkinId::SoundOn, ""}},
    {kSystemButton, 185, 44, {SkinId::ToolButton, "系统"}},
    {kPortalButton, 229, 44, {SkinId::ToolButton, "官网"}},
    {kPayButton, 273, 44, {SkinId::ToolButton, "充值"}},
    {kForumButton, 317, 44, {SkinId::ToolButton, "论坛"}},
    {kServiceButton, 361, 44, {SkinId::ToolButton, "客服"}},
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

ButtonFace ButtonFaceOf(int id)
{
    for (const ButtonPlace &place : kButtonPlaces) {
        if (place.id == id)
            return place.face;
    }
    return {0, ""};
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
