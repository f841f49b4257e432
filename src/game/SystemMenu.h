#pragma once

#include <vector>

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

// The command menu of the main window, offered below its "系统" button and at the tray
// icon: which items it holds, in which order, and where it opens.
namespace SystemMenu {

// Command ids; a menu answers 0 when nothing was chosen.
enum Command {
    kNone = 0,
    kRefresh = 1,
    kToggle = 2,
    kClearCache = 3,
    kUpdate = 4,
    kSettings = 5,
    kExit = 6,
    kVersion = -1,
};

enum class Place { Button, Tray };

struct Item {
    int id = kNone;
    QString text; // empty for the separator
    bool separator = false;
};

// The items in menu order: refresh, hide/restore with the boss key's combination text,
// clear cache, a separator, update, settings, then the version (button menu) or exit
// (tray menu).
std::vector<Item> Items(Place place, const QString &bossKeyText);

// The button menu's top-left corner: the button's left edge, 3 pixels below its bottom.
QPoint ButtonMenuOrigin(const QRect &buttonOnScreen);

// The tray menu's top-left corner: the menu opens to the left of and above the cursor,
// its bottom-right corner at the cursor.
QPoint TrayMenuOrigin(const QPoint &cursor, const QSize &menuSize);

} // namespace SystemMenu
