#include "game/AlignedStore.h"

#include <gtest/gtest.h>

namespace {

CGameWnd *Page(int n)
{
    return reinterpret_cast<CGameWnd *>(static_cast<quintptr>(0x1000 * n));
}

TEST(AlignedStoreTest, ALaterPageReportingFirstKeepsItsOwnIndex)
{
    GamePageList list;
    for (int n = 1; n <= 3; ++n)
        list.Append(Page(n), QString::number(n), "1");
    EXPECT_TRUE(StoreAligned(list, GamePageList::Field::Titles, Page(3), "third"));
    EXPECT_EQ(list.Titles, (QStringList{"", "", "third"}));
    EXPECT_FALSE(StoreAligned(list, GamePageList::Field::Titles, Page(1), "first"));
    EXPECT_EQ(list.Titles, (QStringList{"first", "", "third"}));
}

TEST(AlignedStoreTest, PagesReportingInOrderAppendAsBefore)
{
    GamePageList list;
    list.Append(Page(1), "a", "1");
    list.Append(Page(2), "b", "1");
    EXPECT_TRUE(StoreAligned(list, GamePageList::Field::Urls, Page(1), "u1"));
    EXPECT_TRUE(StoreAligned(list, GamePageList::Field::Urls, Page(2), "u2"));
    EXPECT_FALSE(StoreAligned(list, GamePageList::Field::Urls, Page(9), "u9"));
    EXPECT_EQ(list.Urls, (QStringList{"u1", "u2"}));
}

} // namespace
