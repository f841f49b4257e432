#pragma once

#include <functional>
#include <vector>

#include "game/SystemMenu.h"

class QWidget;

// Builds a popup menu of `items` anew, opens it over `owner` at the point `origin` gives
// for the menu's size, waits for the player's choice and destroys the menu again.
// Answers the chosen item's id, or SystemMenu::kNone when the menu was dismissed.
int RunPopupMenu(const std::vector<SystemMenu::Item> &items, QWidget *owner,
                 const std::function<QPoint(const QSize &)> &origin);
