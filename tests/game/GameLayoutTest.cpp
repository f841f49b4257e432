#include "game/GameLayout.h"

#include <gtest/gtest.h>

namespace {

using namespace GameLayout;

TEST(GameLayoutTest, TabStripGrowsByOneTabPerPage)
{
    EXPECT_EQ(TabStripRect(0), QRect(120, 2, 199, 22));
    EXPECT_EQ(TabStripRect(1).width(), 388);
    EXPECT_EQ(TabStripRect(2).width(), 577);
}

TEST(GameLayoutTest, MinimumSizeLeavesRoomForTabsAndButtons)
{
    EXPECT_EQ(MinimumSize(1), QSize(646, 260));
    EXPECT_EQ(MinimumSize(2).width(), 835);
    EXPECT_EQ(MinimumSize(3).width(), 1024);
}

TEST(GameLayoutTest, PagesCoverTheClientAreaBelowTheCaption)
{
    EXPECT_EQ(PageRect(QRect(100, 50, 1000, 700)), QRect(104, 80, 992, 666));
}

TEST(GameLayoutTest, ButtonsStandAtFixedDistancesFromTheRightEdge)
{
    const int width = 1200;
    EXPECT_EQ(ButtonRect(kHideButton, width), QRect(1086, 0, 27, 28));
    EXPECT_EQ(ButtonRect(kSoundButton, width), QRect(1059, 0, 27, 28));
    EXPECT_EQ(ButtonRect(kSystemButton, width), QRect(1015, 0, 44, 28));
    EXPECT_EQ(ButtonRect(kPortalButton, width).x(), 971);
    EXPECT_EQ(ButtonRect(kPayButton, width).x(), 927);
    EXPECT_EQ(ButtonRect(kForumButton, width).x(), 883);
    EXPECT_EQ(ButtonRect(kServiceButton, width), QRect(839, 0, 44, 28));
    EXPECT_TRUE(ButtonRect(1011, width).isNull());
}

TEST(GameLayoutTest, CloseSquareSitsAtTheTabsTopRightCorner)
{
    const QRect item(189, 0, 189, 22);
    EXPECT_EQ(CloseButtonRect(item), QRect(365, 0, 13, 13));
    EXPECT_TRUE(IsOnCloseButton(item, {366, 0}));
    EXPECT_TRUE(IsOnCloseButton(item, {377, 12}));
    EXPECT_FALSE(IsOnCloseButton(item, {365, 5}));
    EXPECT_FALSE(IsOnCloseButton(item, {378, 5}));
    EXPECT_FALSE(IsOnCloseButton(item, {370, 13}));
}

} // namespace
