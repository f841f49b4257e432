#pragma once

// Which tab the window-switch key and closing a tab select.
namespace TabOrder {

// The tab after `current` among `count`, wrapping to the first; -1 without tabs. A
// selection of -1 (none) moves to the first tab.
int NextTab(int current, int count);

// The selection after tab `closed` was removed from `count` tabs that had `selected`
// selected: the same tab, one index lower when it stood after the closed one; -1 when
// no tab remains.
int SelectionAfterClose(int selected, int closed, int count);

} // namespace TabOrder
