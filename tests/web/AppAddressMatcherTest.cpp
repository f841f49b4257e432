#include "web/AppAddressMatcher.h"

#include <gtest/gtest.h>

namespace {

const QString kLoadGame = QStringLiteral("app://loadgame|http://g.localhost/?account=abc&server_id=12");
const QString kArguments = QStringLiteral("app://loadgame:abc,12|http://G.localhost/play#top");

// The URL the engine hands over for a navigation to `text`.
QUrl EngineUrl(const QString &text)
{
    return QUrl::fromEncoded(text.toUtf8());
}

TEST(AppAddressMatcherTest, NavigationGetsTheTextOfferedBeforeOrAfterIt)
{
    AppAddressMatcher matcher;
    EXPECT_TRUE(matcher.AddText(kLoadGame, 0).isEmpty());
    EXPECT_EQ(matcher.AddNavigation(EngineUrl(kLoadGame), 10), QStringList{kLoadGame});

    EXPECT_TRUE(matcher.AddNavigation(EngineUrl(kArguments), 20).isEmpty());
    EXPECT_EQ(matcher.AddText(kArguments, 30), QStringList{kArguments});
    EXPECT_TRUE(matcher.Expire(10000).isEmpty());
    EXPECT_FALSE(matcher.NextDeadline());
}

TEST(AppAddressMatcherTest, EachTextAndEachNavigationCountsOnce)
{
    AppAddressMatcher matcher;
    matcher.AddText(kLoadGame, 0);
    matcher.AddText(kLoadGame, 0);
    EXPECT_EQ(matcher.AddNavigation(EngineUrl(kLoadGame), 5), QStringList{kLoadGame});
    // The second text waits for a second navigation and then lapses unreported.
    EXPECT_TRUE(matcher.Expire(AppAddressMatcher::kTextLifeMs - 1).isEmpty());
    EXPECT_TRUE(matcher.Expire(AppAddressMatcher::kTextLifeMs).isEmpty());
    EXPECT_TRUE(matcher.AddNavigation(EngineUrl(QStringLiteral("app://other/")), 6000).isEmpty());
    EXPECT_EQ(*matcher.NextDeadline(), 6000 + AppAddressMatcher::kGraceMs);
}

TEST(AppAddressMatcherTest, NavigationWithoutTextIsReportedWithTheRecoveredTextAfterItsGrace)
{
    AppAddressMatcher matcher;
    matcher.AddNavigation(EngineUrl(kLoadGame), 100);
    EXPECT_EQ(*matcher.NextDeadline(), 100 + AppAddressMatcher::kGraceMs);
    EXPECT_TRUE(matcher.Expire(100 + AppAddressMatcher::kGraceMs - 1).isEmpty());
    EXPECT_EQ(matcher.Expire(100 + AppAddressMatcher::kGraceMs), QStringList{kLoadGame});
    // A text arriving later finds nothing to pair with and never reports.
    EXPECT_TRUE(matcher.AddText(kLoadGame, 1000).isEmpty());
    EXPECT_TRUE(matcher.Expire(1000 + AppAddressMatcher::kTextLifeMs).isEmpty());
}

TEST(AppAddressMatcherTest, TextsOfOtherAddressesDoNotPair)
{
    AppAddressMatcher matcher;
    matcher.AddText(QStringLiteral("app://loadgame|http://g.localhost/?account=xyz"), 0);
    EXPECT_TRUE(matcher.AddNavigation(EngineUrl(kLoadGame), 1).isEmpty());
    EXPECT_EQ(matcher.Expire(1 + AppAddressMatcher::kGraceMs), QStringList{kLoadGame});
}

TEST(AppAddressMatcherTest, RecoversTheProtocolsAddressesFromTheEnginesUrls)
{
    for (const char *text : {"app://loadgame|http://g.localhost/?account=abc&server_id=12",
                             "app://loadgame:abc,12|http://G.localhost/play#top", "app://minimize/",
                             "app://loadgame:%E5%BC%A0%E4%B8%89,12|", "app://exitgame/?x=1"})
        EXPECT_EQ(RecoverAppAddress(EngineUrl(QString::fromUtf8(text))), QString::fromUtf8(text)) << text;
    // A valid URL keeps all but its host's letter case.
    EXPECT_EQ(RecoverAppAddress(EngineUrl(QStringLiteral("app://ExitGame/"))), QStringLiteral("app://exitgame/"));
}

TEST(AppAddressMatcherTest, OtherSchemesAreNoAddressesAndNeverReported)
{
    EXPECT_FALSE(RecoverAppAddress(QUrl(QStringLiteral("http://g.localhost/"))));
    EXPECT_FALSE(RecoverAppAddress(EngineUrl(QStringLiteral("http://bad|host/"))));
    EXPECT_FALSE(RecoverAppAddress(QUrl()));
    AppAddressMatcher matcher;
    EXPECT_TRUE(matcher.AddNavigation(EngineUrl(QStringLiteral("http://bad|host/")), 0).isEmpty());
    EXPECT_TRUE(matcher.Expire(AppAddressMatcher::kGraceMs).isEmpty());
}

} // namespace
