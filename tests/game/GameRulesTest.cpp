#include "game/EnterGameRequest.h"
#include "game/PageTitle.h"
#include "game/TabOrder.h"

#include <gtest/gtest.h>

namespace {

const QString kPortal = QStringLiteral("http://www.qovan.localhost:18321/qvycj/");

TEST(PageTitleTest, TitlesThatShowAnAddressAreIgnored)
{
    EXPECT_FALSE(CleanPageTitle("http://ycj.localhost/game/").has_value());
    EXPECT_FALSE(CleanPageTitle("岚汐翼川记- https 入口").has_value());
    EXPECT_EQ(CleanPageTitle("HTTP 大写不算地址"), "HTTP 大写不算地址");
}

TEST(PageTitleTest, ThePageAddressWithoutItsSchemeIsIgnored)
{
    const QString address = "http://127.0.0.1:8080/game/2";
    EXPECT_FALSE(CleanPageTitle("127.0.0.1:8080/game/2", address).has_value());
    EXPECT_FALSE(CleanPageTitle("ycj.localhost", "https://ycj.localhost/").has_value());
    EXPECT_EQ(CleanPageTitle("127.0.0.1:8080/game/3", address), "127.0.0.1:8080/game/3");
}

TEST(PageTitleTest, GameMarkerKeepsWhatFollowsItsSeparator)
{
    EXPECT_EQ(CleanPageTitle("岚汐翼川记- 青龙"), "青龙");
    EXPECT_EQ(CleanPageTitle("翼川记-X青龙"), "青龙");
    EXPECT_EQ(CleanPageTitle("岚汐翼川记-"), "");
    EXPECT_EQ(CleanPageTitle("普通标题"), "普通标题");
    EXPECT_EQ(CleanPageTitle(""), "");
}

TEST(PageTitleTest, CaptionJoinsServerTitleAndAccount)
{
    EXPECT_EQ(BuildTabCaption("12", "青龙", "player"), "12服-青龙-player");
    EXPECT_EQ(BuildTabCaption("", "", ""), "服--");
}

TEST(EnterGameRequestTest, NameAfterThePrefixIsCapitalised)
{
    const auto request = ParseEnterGameRequest("app://entergame|ycj", kPortal);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->name, "Ycj");
    EXPECT_EQ(request->browserPage, kPortal);
}

TEST(EnterGameRequestTest, BarSeparatesTheBrowserPage)
{
    const auto request = ParseEnterGameRequest("app://entergame|sgz|http://sgz.localhost:18321/x?a=1|b", kPortal);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->name, "Sgz");
    EXPECT_EQ(request->browserPage, "http://sgz.localhost:18321/x?a=1|b");
}

TEST(EnterGameRequestTest, SlashesAreRemovedSoTheNameStaysInTheFolder)
{
    const auto request = ParseEnterGameRequest("app://entergame|../../bin/sh", kPortal);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->name, "....binsh");
    EXPECT_EQ(LauncherPath("/data/岚汐/ViziDuved", request->name), "/data/岚汐/ViziDuved/....binsh.exe");
}

TEST(EnterGameRequestTest, FirstCharacterOtherThanALowerCaseLetterIsKept)
{
    EXPECT_EQ(ParseEnterGameRequest("app://entergame|Ycj", kPortal)->name, "Ycj");
    EXPECT_EQ(ParseEnterGameRequest("app://entergame|9ycj", kPortal)->name, "9ycj");
    EXPECT_EQ(ParseEnterGameRequest("app://entergame|岚汐", kPortal)->name, "岚汐");
}

TEST(EnterGameRequestTest, OnlyWebAddressesReachTheBrowser)
{
    for (const char *page : {"file:///etc/passwd", "javascript:alert(1)", "", "not an address", "http://"})
        EXPECT_EQ(ParseEnterGameRequest(QStringLiteral("app://entergame|ycj|") + page, kPortal)->browserPage, kPortal)
            << page;
    EXPECT_EQ(ParseEnterGameRequest("app://entergame|ycj|HTTPS://a.localhost/", kPortal)->browserPage,
              "HTTPS://a.localhost/");
}

TEST(EnterGameRequestTest, EmptyNamesAndOtherAddressesAreNoRequest)
{
    EXPECT_FALSE(ParseEnterGameRequest("app://entergame|", kPortal));
    EXPECT_FALSE(ParseEnterGameRequest("app://entergame|//", kPortal));
    EXPECT_FALSE(ParseEnterGameRequest("app://entergame||http://a.localhost/", kPortal));
    EXPECT_FALSE(ParseEnterGameRequest("app://loadgame|http://a.localhost/", kPortal));
    EXPECT_FALSE(ParseEnterGameRequest("http://a.localhost/?app://entergame|ycj", kPortal));
}

TEST(EnterGameRequestTest, LauncherPathKeepsThePathLimit)
{
    EXPECT_EQ(LauncherPath("/d", "Ycj"), "/d/Ycj.exe");
    EXPECT_EQ(LauncherPath("", "Ycj"), "");
    const QString folder = "/" + QString(250, 'f');
    EXPECT_EQ(LauncherPath(folder, "A").size(), 257);
    EXPECT_EQ(LauncherPath(folder, "Abcdef"), "");
}

TEST(TabOrderTest, SwitchKeyCyclesThroughThreeTabs)
{
    int tab = 0;
    std::vector<int> seen{tab};
    for (int i = 0; i < 3; ++i)
        seen.push_back(tab = TabOrder::NextTab(tab, 3));
    EXPECT_EQ(seen, (std::vector<int>{0, 1, 2, 0}));
    EXPECT_EQ(TabOrder::NextTab(0, 1), 0);
    EXPECT_EQ(TabOrder::NextTab(-1, 2), 0);
    EXPECT_EQ(TabOrder::NextTab(0, 0), -1);
}

TEST(TabOrderTest, SelectionFollowsItsTabWhenAnotherCloses)
{
    EXPECT_EQ(TabOrder::SelectionAfterClose(2, 1, 3), 1);
    EXPECT_EQ(TabOrder::SelectionAfterClose(0, 1, 3), 0);
    EXPECT_EQ(TabOrder::SelectionAfterClose(2, 2, 3), 1);
    EXPECT_EQ(TabOrder::SelectionAfterClose(0, 0, 2), 0);
    EXPECT_EQ(TabOrder::SelectionAfterClose(0, 0, 1), -1);
}

} // namespace
