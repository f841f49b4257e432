#include "game/SystemMenu.h"

namespace SystemMenu {

namespace {

constexpr int kButtonMenuGap = 3;

} // namespace

std::vector<Item> Items(Place place, const QString &bossKeyText)
{
    std::vector<Item> items{
        {kRefresh, QStringLiteral("刷新 (F5)")},
        {kToggle, QStringLiteral("隐藏/恢复(") + bossKeyText + QLatin1Char(')')},
        {kClearCache, QStringLiteral("清除缓存")},
        {kNone, QString(), true},
        {kUpdate, QStringLiteral("更新")},
        {kSettings, QStringLiteral("设置...")},
    };
    if (place == Place::Button)
        items.push_back({kVersion, QStringLiteral("版本号: 1.0.0.1")});
    else
        items.push_back({kExit, QStringLiteral("退出")});
    return items;
}

QPoint ButtonMenuOrigin(const QRect &buttonOnScreen)
{
    // The rectangle's bottom edge lies one pixel past its last row.
    return {buttonOnScreen.left(), buttonOnScreen.top() + buttonOnScreen.height() + kButtonMenuGap};
}

QPoint TrayMenuOrigin(const QPoint &cursor, const QSize &menuSize)
{
    return cursor - QPoint(menuSize.width(), menuSize.height());
}

} // namespace SystemMenu
