#pragma once

#include "game/GamePageList.h"

// Stores `value` for `page` so that it lands at the page's own index: an array that is
// still shorter than that index (earlier pages have not reported yet) is first filled
// up with empty texts, then the list's store rule applies. Nothing for a page not in
// the list. Answers whether the value was appended.
bool StoreAligned(GamePageList &list, GamePageList::Field field, const CGameWnd *page, const QString &value);
