#include <gtest/gtest.h>

#include "login/LoadGameRequest.h"

namespace {

const QString kPage = QStringLiteral("http://www.qovan.localhost:18321/game/?account=abc&server_id=12&t=5");

TEST(LoadGameRequestTest, AccountAndServerComeFromTheAddress)
{
    const auto request = LoadGameRequest::FromArguments({kPage});
    EXPECT_EQ(request.account, QStringLiteral("abc"));
    EXPECT_EQ(request.server, QStringLiteral("12"));
    EXPECT_EQ(request.pageAddress, kPage);

    const auto serverLast = LoadGameRequest::FromArguments({QStringLiteral("http://g/?t=1&account=abc&server_id=12")});
    EXPECT_EQ(serverLast.server, QStringLiteral("12"));
}

TEST(LoadGameRequestTest, ArgumentsWinOverTheAddress)
{
    const auto both = LoadGameRequest::FromArguments({kPage, QStringLiteral("xyz"), QStringLiteral("3")});
    EXPECT_EQ(both.account, QStringLiteral("xyz"));
    EXPECT_EQ(both.server, QStringLiteral("3"));

    const auto accountOnly = LoadGameRequest::FromArguments({kPage, QStringLiteral("xyz")});
    EXPECT_EQ(accountOnly.account, QStringLiteral("xyz"));
    EXPECT_EQ(accountOnly.server, QStringLiteral("12"));
}

TEST(LoadGameRequestTest, MissingValuesAreEmpty)
{
    const auto request = LoadGameRequest::FromArguments({QStringLiteral("http://g/?x=1")});
    EXPECT_TRUE(request.account.isEmpty());
    EXPECT_TRUE(request.server.isEmpty());
    EXPECT_TRUE(LoadGameRequest::FromArguments({}).pageAddress.isEmpty());
    EXPECT_EQ(ParameterValue(QStringLiteral("account="), QStringLiteral("account=")), QString());
    // The key is found anywhere, as a plain substring.
    EXPECT_EQ(ParameterValue(QStringLiteral("?myaccount=q&account=r"), QStringLiteral("account=")), QStringLiteral("q"));
}

TEST(AccountDecodingTest, PercentEncodedUtf8BecomesCharacters)
{
    EXPECT_EQ(LoadGameRequest::FromArguments({QStringLiteral("http://g/?account=%E7%8E%A9%E5%AE%B6%E7%94%B2&server_id=1")}).account,
              QStringLiteral("玩家甲"));
    EXPECT_EQ(DecodeAccount(QStringLiteral("%e5%bc%a0%e4%b8%89")), QStringLiteral("张三"));
    EXPECT_EQ(DecodeAccount(QStringLiteral("plain")), QStringLiteral("plain"));
    // Raw characters beside escapes survive.
    EXPECT_EQ(DecodeAccount(QStringLiteral("张%41")), QStringLiteral("张A"));
}

TEST(AccountDecodingTest, ServerIsDecodedAsTheAccountIs)
{
    const auto request = LoadGameRequest::FromArguments(
        {QStringLiteral("http://g/?account=%E7%8E%A9&server_id=%E4%B8%80%E5%8C%BA&t=1")});
    EXPECT_EQ(request.server, QStringLiteral("一区"));
    EXPECT_EQ(LoadGameRequest::FromArguments({kPage, QStringLiteral("a"), QStringLiteral("%E4%B8%80%E5%8C%BA")}).server,
              QStringLiteral("一区"));
    EXPECT_EQ(LoadGameRequest::FromArguments({QStringLiteral("http://g/?server_id=100%")}).server, QStringLiteral("100%"));
    EXPECT_EQ(DuplicateLoginMessage(request.account, request.server),
              QStringLiteral("账号 玩 已在 一区服 登录，同一账号不能在一服重复登录"));
}

TEST(AccountDecodingTest, MalformedInputGivesDefinedText)
{
    EXPECT_EQ(DecodeAccount(QStringLiteral("100%")), QStringLiteral("100%"));
    EXPECT_EQ(DecodeAccount(QStringLiteral("%zz%4")), QStringLiteral("%zz%4"));
    EXPECT_EQ(DecodeAccount(QStringLiteral("a%FFb")), QStringLiteral("a\uFFFDb"));
    EXPECT_EQ(DecodeAccount(QStringLiteral("a%00b")), QStringLiteral("a") + QChar(0) + QStringLiteral("b"));
    EXPECT_EQ(DecodeAccount(QStringLiteral("ab%E5%BC")), QStringLiteral("ab"));
}

TEST(AccountDecodingTest, LongAccountsAreCutBeforeDecoding)
{
    // 43 escaped characters of 3 bytes: 387 bytes encoded. 127 bytes hold 42 escapes and
    // one "%", which must not be decoded as a broken escape.
    QString encoded;
    for (int i = 0; i < 43; ++i)
        encoded += QStringLiteral("%E5%BC%A0");
    const QString decoded = DecodeAccount(encoded);
    EXPECT_EQ(decoded, QString(14, QChar(0x5F20)));

    // With two bytes in front the limit falls inside "%A0": the cut moves before that
    // escape, and the character left incomplete is dropped.
    EXPECT_EQ(DecodeAccount(QStringLiteral("aa") + encoded), QStringLiteral("aa") + QString(13, QChar(0x5F20)));
    // The limit right after a "%": the cut moves before it.
    EXPECT_EQ(DecodeAccount(QStringLiteral("a") + encoded.left(117) + QStringLiteral("xxxxxxx%41")),
              QStringLiteral("a") + QString(13, QChar(0x5F20)) + QStringLiteral("xxxxxxx"));
    // A raw character cut in two at the limit is dropped, not turned into U+FFFD.
    EXPECT_EQ(DecodeAccount(QStringLiteral("%41") + QString(50, QChar(0x5F20))), QStringLiteral("A") + QString(41, QChar(0x5F20)));

    const QString longPlain = QString(200, QLatin1Char('a')) + QStringLiteral("%41");
    EXPECT_EQ(DecodeAccount(longPlain), QString(127, QLatin1Char('a')));
}

TEST(DuplicateLoginMessageTest, NamesAccountAndServer)
{
    EXPECT_EQ(DuplicateLoginMessage(QStringLiteral("abc"), QStringLiteral("12")),
              QStringLiteral("账号 abc 已在 12服 登录，同一账号不能在一服重复登录"));
    EXPECT_EQ(DuplicateLoginMessage(QStringLiteral("%2"), QStringLiteral("%1")),
              QStringLiteral("账号 %2 已在 %1服 登录，同一账号不能在一服重复登录"));
}

} // namespace
