#include "game/GamePageList.h"

GamePageList &GamePageList::Instance()
{
    static GamePageList list;
    return list;
}

void GamePageList::Append(CGameWnd *page, const QString &account, const QString &server)
{
    Pages.append(page);
    Accounts.append(account);
    Servers.append(server);
}

int GamePageList::IndexOf(const CGameWnd *page) const
{
    return static_cast<int>(Pages.indexOf(page));
}

bool GamePageList::Store(Field field, const CGameWnd *page, const QString &value)
{
    const int i = IndexOf(page);
    if (i == kNotFound)
        return false;
    // Every value lands at its page's own index, even when an older page reports while a
    // newer one has not yet: the gap is filled with empty texts rather than letting the
    // value slide onto another page's index.
    QStringList &values = Values(field);
    if (i < values.size()) {
        values[i] = value;
        return false;
    }
    while (values.size() < i)
        values.append(QString());
    values.append(value);
    return true;
}

void GamePageList::RemoveAt(int i)
{
    if (i < 0 || i >= Count())
        return;
    Pages.removeAt(i);
    for (QStringList *values : {&Accounts, &Servers, &Titles, &Urls, &RawTitles, &Captions}) {
        if (i < values->size())
            values->removeAt(i);
    }
}

void GamePageList::Clear()
{
    Pages.clear();
    for (QStringList *values : {&Accounts, &Servers, &Titles, &Urls, &RawTitles, &Captions})
        values->clear();
}

bool GamePageList::Contains(const QString &account, const QString &server) const
{
    for (int i = 0; i < Count(); ++i) {
        if (Accounts.at(i) == account && Servers.at(i) == server)
            return true;
    }
    return false;
}

QStringList &GamePageList::Values(Field field)
{
    switch (field) {
    case Field::Titles:
        return Titles;
    case Field::Urls:
        return Urls;
    case Field::RawTitles:
        return RawTitles;
    case Field::Captions:
        break;
    }
    return Captions;
}

const QStringList &GamePageList::Values(Field field) const
{
    return const_cast<GamePageList *>(this)->Values(field);
}
