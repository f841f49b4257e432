#include <gtest/gtest.h>

#include "HttpRequest.h"

namespace {

HttpParseResult Parse(const char *text)
{
    return ParseHttpRequest(QByteArray(text));
}

} // namespace

TEST(HttpRequestParse, ReadsRequestLineHostAndQuery)
{
    const auto result = Parse("GET /game/?account=%E7%8E%A9%E5%AE%B6%E7%94%B2&server_id=12 HTTP/1.1\r\n"
                              "Host: WWW.Qovan.Localhost.:18321\r\nAccept: */*\r\n\r\n");
    ASSERT_EQ(result.state, HttpRequest::State::Complete);
    EXPECT_EQ(result.request.method, "GET");
    EXPECT_EQ(result.request.path, "/game/");
    EXPECT_EQ(result.request.host, "www.qovan.localhost");
    EXPECT_EQ(result.request.AuthorityPort(80), 18321);
    EXPECT_EQ(QString::fromUtf8(result.request.QueryValue("account")), QStringLiteral("玩家甲"));
    EXPECT_EQ(result.request.QueryValue("server_id"), "12");
    EXPECT_EQ(result.request.QueryValue("missing"), "");
    EXPECT_EQ(result.request.Header("accept"), "*/*");
}

TEST(HttpRequestParse, AcceptsBareLineFeedsAbsoluteTargetsAndHttp10WithoutHost)
{
    auto result = Parse("GET /kf HTTP/1.1\nHost: kf.qovan.localhost\n\n");
    ASSERT_EQ(result.state, HttpRequest::State::Complete);
    EXPECT_EQ(result.request.path, "/kf");
    EXPECT_EQ(result.request.AuthorityPort(18321), 18321);

    result = Parse("GET http://bbs.qovan.localhost:9/f1089 HTTP/1.1\r\nHost: other\r\n\r\n");
    ASSERT_EQ(result.state, HttpRequest::State::Complete);
    EXPECT_EQ(result.request.host, "bbs.qovan.localhost");
    EXPECT_EQ(result.request.path, "/f1089");

    result = Parse("HEAD / HTTP/1.0\r\n\r\n");
    ASSERT_EQ(result.state, HttpRequest::State::Complete);
    EXPECT_EQ(result.request.host, "");
}

TEST(HttpRequestParse, WaitsForTheEndOfTheHead)
{
    EXPECT_EQ(Parse("").state, HttpRequest::State::Incomplete);
    EXPECT_EQ(Parse("GET / HTTP/1.1\r\nHost: a\r\n").state, HttpRequest::State::Incomplete);
}

TEST(HttpRequestParse, RejectsMalformedHeads)
{
    const char *bad[] = {
        "GARBAGE\r\n\r\n",
        "GET /\r\nHost: a\r\n\r\n",
        "GET / HTTP/2.0\r\nHost: a\r\n\r\n",
        "GET relative HTTP/1.1\r\nHost: a\r\n\r\n",
        "G(T / HTTP/1.1\r\nHost: a\r\n\r\n",
        "GET / HTTP/1.1\r\n\r\n",                            // HTTP/1.1 without Host
        "GET / HTTP/1.1\r\nHost: a\r\nHost: b\r\n\r\n",     // two hosts
        "GET / HTTP/1.1\r\nHost: a b\r\n\r\n",
        "GET / HTTP/1.1\r\nHost: a\r\nno colon here\r\n\r\n",
        "GET / HTTP/1.1\r\nHost: a\r\nBad Name: x\r\n\r\n",
        "GET /a\x01 HTTP/1.1\r\nHost: a\r\n\r\n",
    };
    for (const char *text : bad)
        EXPECT_EQ(Parse(text).state, HttpRequest::State::Bad) << text;
}

TEST(HttpRequestParse, RefusesEarlyWhatCannotBecomeARequest)
{
    EXPECT_EQ(ParseHttpRequest(QByteArray("\x16\x03\x01\x00\x05", 5)).state, HttpRequest::State::Bad);
    EXPECT_EQ(Parse("NOT A REQUEST\r\n").state, HttpRequest::State::Bad);
    EXPECT_EQ(Parse("GET / HTTP/1.1\r\n").state, HttpRequest::State::Incomplete);
    EXPECT_EQ(Parse("GET /ycj/ HTT").state, HttpRequest::State::Incomplete);
}

TEST(HttpRequestParse, RejectsHeadsOverTheLimit)
{
    const QByteArray filler(kMaxRequestHeadBytes, 'a');
    EXPECT_EQ(ParseHttpRequest("GET / HTTP/1.1\r\nHost: a\r\nX: " + filler).state,
              HttpRequest::State::Bad);
    EXPECT_EQ(ParseHttpRequest("GET / HTTP/1.1\r\nHost: a\r\nX: " + filler + "\r\n\r\n").state,
              HttpRequest::State::Bad);
    const QByteArray fits(kMaxRequestHeadBytes - 100, 'a');
    EXPECT_EQ(ParseHttpRequest("GET / HTTP/1.1\r\nHost: a\r\nX: " + fits + "\r\n\r\n").state,
              HttpRequest::State::Complete);
}
