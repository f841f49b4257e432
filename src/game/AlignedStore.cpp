#include "game/AlignedStore.h"

bool StoreAligned(GamePageList &list, GamePageList::Field field, const CGameWnd *page, const QString &value)
{
    const int index = list.IndexOf(page);
    if (index == GamePageList::kNotFound)
        return false;
    QStringList &values = list.Values(field);
    while (values.size() < index)
        values.append(QString());
    return list.Store(field, page, value);
}
