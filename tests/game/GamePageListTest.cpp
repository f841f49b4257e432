#include "game/GamePageList.h"

#include <gtest/gtest.h>

namespace {

// Page hosts are only compared by address here.
CGameWnd *Page(int n)
{
    return reinterpret_cast<CGameWnd *>(static_cast<quintptr>(0x1000 * n));
}

class GamePageListTest : public testing::Test
{
protected:
    GamePageList list;
};

TEST_F(GamePageListTest, StoreAppendsForTheNewestPageThenReplaces)
{
    list.Append(Page(1), "a", "1");
    EXPECT_TRUE(list.Store(GamePageList::Field::Titles, Page(1), "first"));
    EXPECT_FALSE(list.Store(GamePageList::Field::Titles, Page(1), "second"));
    EXPECT_EQ(list.Titles, QStringList{"second"});

    list.Append(Page(2), "b", "1");
    EXPECT_TRUE(list.Store(GamePageList::Field::Titles, Page(2), "other"));
    EXPECT_FALSE(list.Store(GamePageList::Field::Titles, Page(1), "again"));
    EXPECT_EQ(list.Titles, (QStringList{"again", "other"}));
}

TEST_F(GamePageListTest, AnOlderPageReportingAgainKeepsItsOwnIndex)
{
    list.Append(Page(1), "a", "1");
    list.Store(GamePageList::Field::Titles, Page(1), "first");
    list.Append(Page(2), "b", "1");
    // The older page changes its title before the newest page has reported.
    EXPECT_FALSE(list.Store(GamePageList::Field::Titles, Page(1), "first again"));
    EXPECT_EQ(list.Titles, QStringList{"first again"});
    EXPECT_TRUE(list.Store(GamePageList::Field::Titles, Page(2), "second"));
    EXPECT_EQ(list.Titles, (QStringList{"first again", "second"}));
}

TEST_F(GamePageListTest, ALaterPageReportingFirstKeepsItsOwnIndex)
{
    for (int n = 1; n <= 3; ++n)
        list.Append(Page(n), QString::number(n), "1");
    EXPECT_TRUE(list.Store(GamePageList::Field::Titles, Page(3), "third"));
    EXPECT_EQ(list.Titles, (QStringList{"", "", "third"}));
    EXPECT_FALSE(list.Store(GamePageList::Field::Titles, Page(1), "first"));
    EXPECT_EQ(list.Titles, (QStringList{"first", "", "third"}));
}

TEST_F(GamePageListTest, StoreForAnUnknownPageChangesNothing)
{
    list.Append(Page(1), "a", "1");
    EXPECT_FALSE(list.Store(GamePageList::Field::Urls, Page(9), "http://x/"));
    EXPECT_TRUE(list.Urls.isEmpty());
}

TEST_F(GamePageListTest, RemoveAtMiddleKeepsEveryArrayAligned)
{
    for (int n = 1; n <= 3; ++n) {
        list.Append(Page(n), QString("acc%1").arg(n), QString::number(n));
        for (auto field : {GamePageList::Field::Titles, GamePageList::Field::Urls,
                           GamePageList::Field::RawTitles, GamePageList::Field::Captions})
            list.Store(field, Page(n), QString("v%1").arg(n));
    }
    list.RemoveAt(1);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Pages.at(1), Page(3));
    EXPECT_EQ(list.Accounts.at(1), "acc3");
    EXPECT_EQ(list.Servers.at(1), "3");
    for (auto field : {GamePageList::Field::Titles, GamePageList::Field::Urls,
                       GamePageList::Field::RawTitles, GamePageList::Field::Captions})
        EXPECT_EQ(list.Values(field), (QStringList{"v1", "v3"}));
}

TEST_F(GamePageListTest, RemoveAtSkipsArraysTheNewestPageHasNotFilled)
{
    list.Append(Page(1), "a", "1");
    list.Store(GamePageList::Field::Titles, Page(1), "t1");
    list.Append(Page(2), "b", "1");
    list.RemoveAt(1);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Titles, QStringList{"t1"});
    list.RemoveAt(5);
    EXPECT_EQ(list.Count(), 1);
}

TEST_F(GamePageListTest, AccountServerPairsAreExactAndCaseSensitive)
{
    EXPECT_EQ(list.Count(), 0);
    list.Append(Page(1), "Abc", "12");
    EXPECT_TRUE(list.Contains("Abc", "12"));
    EXPECT_FALSE(list.Contains("abc", "12"));
    EXPECT_FALSE(list.Contains("Abc", "13"));
}

TEST_F(GamePageListTest, ClearEmptiesAllArrays)
{
    list.Append(Page(1), "a", "1");
    list.Store(GamePageList::Field::Captions, Page(1), "c");
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_TRUE(list.Accounts.isEmpty());
    EXPECT_TRUE(list.Captions.isEmpty());
}

} // namespace
