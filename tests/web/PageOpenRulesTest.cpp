#include "web/PageOpenRules.h"

#include <gtest/gtest.h>

#include <QSet>

#include "support/QtPrinters.h"
#include "web/DesktopOpenLimit.h"

namespace {

TEST(OpenedWindowRule, OnlyWebAddressesReachTheDesktopAndAppAddressesStayCommands)
{
    const struct {
        const char *url;
        OpenedWindowAction action;
    } cases[] = {
        {"http://www.qovan.localhost/pay?x=1", OpenedWindowAction::Desktop},
        {"https://example.localhost/", OpenedWindowAction::Desktop},
        {"about:blank", OpenedWindowAction::Wait},
        {"app://exitgame/", OpenedWindowAction::Command},
        {"file:///etc/passwd", OpenedWindowAction::Drop},
        {"data:text/html,<b>x</b>", OpenedWindowAction::Drop},
        {"javascript:alert(1)", OpenedWindowAction::Drop},
        {"steam://run/1", OpenedWindowAction::Drop},
        {"about:srcdoc", OpenedWindowAction::Drop},
        {"http:///nohost", OpenedWindowAction::Drop},
    };
    for (const auto &c : cases)
        EXPECT_EQ(DecideOpenedWindow(QUrl(QString::fromUtf8(c.url))), c.action) << c.url;
    // An address the engine could not parse may be a command; it never reaches the desktop.
    EXPECT_EQ(DecideOpenedWindow(QUrl(QStringLiteral("app://loadgame|http://g/?a=1"))), OpenedWindowAction::Command);
    EXPECT_EQ(DecideOpenedWindow(QUrl()), OpenedWindowAction::Drop);
}

TEST(DownloadName, KeepsOnlyAVisibleLastPartOfTheServersName)
{
    const struct {
        QString server;
        QString saved;
    } cases[] = {
        {QStringLiteral("client.zip"), QStringLiteral("client.zip")},
        {QStringLiteral("../../.bashrc"), QStringLiteral("bashrc")},
        {QStringLiteral("/etc/passwd"), QStringLiteral("passwd")},
        {QStringLiteral("..\\..\\win.ini"), QStringLiteral("win.ini")},
        {QStringLiteral("a\nb\r.txt"), QStringLiteral("ab.txt")},
        {QStringLiteral("  . 说明.txt "), QStringLiteral("说明.txt")},
        {QStringLiteral("dir/"), QStringLiteral("download")},
        {QStringLiteral("..."), QStringLiteral("download")},
        {QString(), QStringLiteral("download")},
    };
    for (const auto &c : cases)
        EXPECT_EQ(CleanDownloadName(c.server), c.saved) << c.server.toStdString();
}

TEST(DownloadName, ALongNameIsCutToWholeCharactersAndKeepsItsExtension)
{
    const QString latin = CleanDownloadName(QString(1000, QLatin1Char('a')) + QStringLiteral(".zip"));
    EXPECT_EQ(latin.toUtf8().size(), kMaxDownloadNameBytes);
    EXPECT_TRUE(latin.endsWith(QStringLiteral("a.zip")));
    // Three bytes a character: the cut never splits one.
    const QString chinese = CleanDownloadName(QString(400, QChar(0x6C50)) + QStringLiteral(".txt"));
    EXPECT_LE(chinese.toUtf8().size(), kMaxDownloadNameBytes);
    EXPECT_EQ(QString::fromUtf8(chinese.toUtf8()), chinese);
    EXPECT_TRUE(chinese.endsWith(QStringLiteral("汐.txt")));
    // An "extension" that is most of the name is no extension.
    EXPECT_EQ(CleanDownloadName(QStringLiteral("x.") + QString(999, QLatin1Char('b'))).toUtf8().size(),
              kMaxDownloadNameBytes);
}

TEST(DownloadName, ATakenNameGetsTheFirstFreeNumber)
{
    QSet<QString> taken{QStringLiteral("a.zip"), QStringLiteral("a (2).zip"), QStringLiteral("notes")};
    const auto isTaken = [&](const QString &name) { return taken.contains(name); };
    EXPECT_EQ(UniqueDownloadName(QStringLiteral("b.zip"), isTaken), QStringLiteral("b.zip"));
    EXPECT_EQ(UniqueDownloadName(QStringLiteral("a.zip"), isTaken), QStringLiteral("a (3).zip"));
    EXPECT_EQ(UniqueDownloadName(QStringLiteral("notes"), isTaken), QStringLiteral("notes (2)"));
}

TEST(DesktopOpenLimit, ThreeInAnyTenSeconds)
{
    DesktopOpenLimit limit;
    EXPECT_TRUE(limit.Admit(0));
    EXPECT_TRUE(limit.Admit(10));
    EXPECT_TRUE(limit.Admit(20));
    for (int i = 0; i < 100; ++i)
        EXPECT_FALSE(limit.Admit(30));
    // Refused opens do not count; each admitted one frees its place 10 s later.
    EXPECT_FALSE(limit.Admit(DesktopOpenLimit::kWindowMs - 1));
    EXPECT_TRUE(limit.Admit(DesktopOpenLimit::kWindowMs));
    EXPECT_FALSE(limit.Admit(DesktopOpenLimit::kWindowMs + 5));
    EXPECT_TRUE(limit.Admit(DesktopOpenLimit::kWindowMs + 10));
}

} // namespace
