#include "game/TabOrder.h"

namespace TabOrder {

int NextTab(int current, int count)
{
    if (count <= 0)
        return -1;
    if (current < 0)
        return 0;
    return (current + 1) % count;
}

int SelectionAfterClose(int selected, int closed, int count)
{
    const int remaining = count - 1;
    if (remaining <= 0)
        return -1;
    if (selected > closed)
        return selected - 1;
    if (selected == closed)
        return selected < remaining ? selected : remaining - 1;
    return selected;
}

} // namespace TabOrder
