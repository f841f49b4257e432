#include <gtest/gtest.h>

#include "login/AppAddress.h"

namespace {

struct GrammarCase {
    const char *address;
    const char *name;
    QStringList argv;
};

class AppAddressGrammar : public testing::TestWithParam<GrammarCase>
{
};

TEST_P(AppAddressGrammar, SplitsNameAndArguments)
{
    const GrammarCase &c = GetParam();
    const auto command = ParseAppAddress(QString::fromUtf8(c.address));
    ASSERT_TRUE(command.has_value()) << c.address;
    EXPECT_EQ(command->name, QString::fromUtf8(c.name)) << c.address;
    EXPECT_EQ(command->argv, c.argv) << c.address;
    EXPECT_EQ(command->argc(), c.argv.size());
}

const QString kGame = QStringLiteral("http://www.qovan.localhost:18321/game/?account=abc&server_id=12&t=5");

INSTANTIATE_TEST_SUITE_P(
    Table, AppAddressGrammar,
    testing::Values(
        // Without "|" the last character of the command part is dropped, whatever it is.
        GrammarCase{"app://minimize/", "minimize", {""}},
        GrammarCase{"app://exitgame?", "exitgame", {""}},
        GrammarCase{"app://minimize", "minimiz", {""}},
        GrammarCase{"app://", "", {""}},
        GrammarCase{"app://x", "", {""}},
        // "|" ends the command part; the rest is entry 0, even when it holds "|" or ":".
        GrammarCase{"app://loadgame|http://www.qovan.localhost:18321/game/?account=abc&server_id=12&t=5",
                    "loadgame", {QStringLiteral("http://www.qovan.localhost:18321/game/?account=abc&server_id=12&t=5")}},
        GrammarCase{"app://loadgame|", "loadgame", {""}},
        GrammarCase{"app://entergame|xyz|http://a/", "entergame", {"xyz|http://a/"}},
        GrammarCase{"app://|", "", {""}},
        // ":" splits once; "," separates the arguments.
        GrammarCase{"app://loadgame:abc,12|http://g/", "loadgame", {"http://g/", "abc", "12"}},
        GrammarCase{"app://loadgame:abc|http://g/", "loadgame", {"http://g/", "abc"}},
        GrammarCase{"app://loadgame:a:b,c:d|p", "loadgame", {"p", "a:b", "c:d"}},
        GrammarCase{"app://loadgame:,12|p", "loadgame", {"p", "", "12"}},
        GrammarCase{"app://loadgame:abc,|p", "loadgame", {"p", "abc", ""}},
        GrammarCase{"app://loadgame:|p", "loadgame", {"p"}},
        GrammarCase{"app://loadgame:abc,12/", "loadgame", {"", "abc", "12"}},
        GrammarCase{"app://:a|p", "", {"p", "a"}},
        GrammarCase{"app://run:a,b,c,d|", "run", {"", "a", "b", "c", "d"}},
        // Case and characters are kept exactly.
        GrammarCase{"app://LoadGame:张三,1服|参数", "LoadGame", {"参数", "张三", "1服"}}));

TEST(AppAddressPrefix, OtherAddressesAreNoCommands)
{
    for (const char *address : {"", "app:/", "app:minimize/", "APP://minimize/", "App://exitgame/",
                                "http://app://x", " app://minimize/", "javascript:app://x"})
        EXPECT_FALSE(ParseAppAddress(QString::fromUtf8(address)).has_value()) << address;
}

TEST(AppAddressLimits, ArgumentListHoldsAtMostOneHundredEntries)
{
    QStringList arguments;
    for (int i = 1; i <= 150; ++i)
        arguments << QString::number(i);
    const auto command = ParseAppAddress(QStringLiteral("app://x:") + arguments.join(QLatin1Char(',')) + QStringLiteral("|p"));
    ASSERT_TRUE(command.has_value());
    ASSERT_EQ(command->argc(), kMaxAppArguments);
    EXPECT_EQ(command->argv.first(), QStringLiteral("p"));
    EXPECT_EQ(command->argv.at(99), QStringLiteral("99"));

    const auto exact = ParseAppAddress(QStringLiteral("app://x:") + arguments.mid(0, 99).join(QLatin1Char(',')) + QStringLiteral("|"));
    ASSERT_TRUE(exact.has_value());
    EXPECT_EQ(exact->argc(), kMaxAppArguments);
}

TEST(AppAddressLimits, NulsAndHugeAddressesAreOrdinaryText)
{
    const QString withNul = QStringLiteral("app://load") + QChar(0) + QStringLiteral("game:a") + QChar(0) + QStringLiteral(",b|p");
    const auto command = ParseAppAddress(withNul);
    ASSERT_TRUE(command.has_value());
    EXPECT_EQ(command->name.size(), 9);
    EXPECT_EQ(command->argc(), 3);

    const QString huge = QStringLiteral("app://x:") + QString(1 << 20, QLatin1Char(','));
    const auto many = ParseAppAddress(huge);
    ASSERT_TRUE(many.has_value());
    EXPECT_EQ(many->argc(), kMaxAppArguments);
    EXPECT_TRUE(many->argv.at(1).isEmpty());
}

} // namespace
