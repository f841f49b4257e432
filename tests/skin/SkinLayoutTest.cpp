#include <gtest/gtest.h>

#include "skin/MessageBoxLayout.h"
#include "skin/ProgressGeometry.h"
#include "skin/SkinText.h"

namespace {

// Every character is 10 pixels wide, except "W" at 25.
int FixedWidth(const QString &s)
{
    int w = 0;
    for (QChar c : s)
        w += c == QLatin1Char('W') ? 25 : 10;
    return w;
}

QStringList Wrap(const QString &text, int width, int charWidth = 10)
{
    return WrapTextLines(text, width, charWidth, FixedWidth);
}

} // namespace

TEST(TextWrap, BreaksAtTheCharacterThatNoLongerFitsEvenInsideWords)
{
    EXPECT_EQ(Wrap(QStringLiteral("abcdefgh"), 35), QStringList({"abc", "def", "gh"}));
    EXPECT_EQ(Wrap(QStringLiteral("ab cdef"), 40), QStringList({"ab c", "def"}));
    EXPECT_EQ(Wrap(QStringLiteral("abc"), 30), QStringList({"abc"}));
}

TEST(TextWrap, CarriageReturnLineFeedIsOneBreak)
{
    EXPECT_EQ(Wrap(QStringLiteral("ab\r\ncd"), 100), QStringList({"ab", "cd"}));
    EXPECT_EQ(Wrap(QStringLiteral("ab\ncd"), 100), QStringList({"ab", "cd"}));
    EXPECT_EQ(Wrap(QStringLiteral("ab\r\n\r\ncd"), 100), QStringList({"ab", "", "cd"}));
    EXPECT_EQ(Wrap(QStringLiteral("ab\r\n"), 100), QStringList({"ab"}));
}

TEST(TextWrap, ControlNarrowerThanOneCharacterShowsNothing)
{
    EXPECT_TRUE(Wrap(QStringLiteral("abc"), 9).isEmpty());
    EXPECT_EQ(Wrap(QStringLiteral("abc"), 10), QStringList({"a", "b", "c"}));
}

TEST(TextWrap, CharacterWiderThanTheLineStandsAloneAndTheWalkGoesOn)
{
    EXPECT_EQ(Wrap(QStringLiteral("aWb"), 20), QStringList({"a", "W", "b"}));
    EXPECT_EQ(Wrap(QStringLiteral("WW"), 20), QStringList({"W", "W"}));
}

TEST(TextFormat, ItemTextFormatMapsToQtAlignment)
{
    const int flags = TextFormatToQtFlags(TextFormat::Center | TextFormat::VCenter | TextFormat::SingleLine);
    EXPECT_TRUE(flags & Qt::AlignHCenter);
    EXPECT_TRUE(flags & Qt::AlignVCenter);
    EXPECT_TRUE(flags & Qt::TextSingleLine);
    EXPECT_TRUE(TextFormatToQtFlags(TextFormat::VCenter | TextFormat::SingleLine) & Qt::AlignLeft);
    EXPECT_TRUE(TextFormatToQtFlags(TextFormat::Right | TextFormat::WordBreak) & Qt::AlignRight);
    // Vertical centring applies to single lines only.
    EXPECT_TRUE(TextFormatToQtFlags(TextFormat::VCenter) & Qt::AlignTop);
}

TEST(MessageBoxLayout, OneLineNarrowerThanTheButtons)
{
    const MessageBoxGeometry g = LayoutMessageBox(MB_OKCANCEL, QSize(100, 16), 1, QSize(74, 26));
    EXPECT_EQ(g.window, QSize(2 * 74 + 60, 3 + 90 + 16 + 26));
    const int cw = g.window.width();
    EXPECT_EQ(g.first, QRect(cw / 2 - 10 - 74, g.window.height() - 30 - 26, 74, 26));
    EXPECT_EQ(g.second.left() - g.first.right() - 1, 20);
    EXPECT_EQ(g.firstText, QStringLiteral("确定"));
    EXPECT_EQ(g.secondText, QStringLiteral("取消"));
}

TEST(MessageBoxLayout, WideTextAndThreeLines)
{
    const MessageBoxGeometry one = LayoutMessageBox(MB_OK, QSize(300, 16), 1, QSize(74, 26));
    const MessageBoxGeometry three = LayoutMessageBox(MB_OK, QSize(300, 48), 3, QSize(74, 26));
    EXPECT_EQ(one.window.width(), 360);
    EXPECT_EQ(three.window.height() - one.window.height(), 32 + 2 * 3);
    EXPECT_EQ(MessageLineCount(QStringLiteral("a\nb\nc")), 3);
    EXPECT_EQ(MessageLineCount(QStringLiteral("abc")), 1);
}

TEST(MessageBoxLayout, ButtonsPerType)
{
    const MessageBoxGeometry ok = LayoutMessageBox(MB_OK, QSize(100, 16), 1, QSize(74, 26));
    EXPECT_TRUE(ok.second.isEmpty());
    EXPECT_EQ(ok.first.left(), (ok.window.width() - 74) / 2);
    EXPECT_EQ(ok.firstText, QStringLiteral("确定"));
    const MessageBoxGeometry yesNo = LayoutMessageBox(MB_YESNO, QSize(100, 16), 1, QSize(74, 26));
    EXPECT_EQ(yesNo.firstText, QStringLiteral("是"));
    EXPECT_EQ(yesNo.secondText, QStringLiteral("否"));
    // Unknown types behave as a one-button box.
    EXPECT_TRUE(LayoutMessageBox(3, QSize(100, 16), 1, QSize(74, 26)).second.isEmpty());
}

TEST(MessageBoxLayout, MissingButtonStripStillGivesAUsableBox)
{
    const MessageBoxGeometry g = LayoutMessageBox(MB_OK, QSize(100, 16), 1, QSize(0, 0));
    EXPECT_EQ(g.window, QSize(160, 109));
    EXPECT_EQ(g.first.size(), QSize(0, 0));
}

TEST(MessageBoxResults, EveryButtonOfEveryType)
{
    EXPECT_EQ(MessageBoxResult(MB_OK, kFirstButtonId), IDOK);
    EXPECT_EQ(MessageBoxResult(MB_OKCANCEL, kFirstButtonId), IDOK);
    EXPECT_EQ(MessageBoxResult(MB_OKCANCEL, kSecondButtonId), IDCANCEL);
    EXPECT_EQ(MessageBoxResult(MB_YESNO, kFirstButtonId), IDYES);
    EXPECT_EQ(MessageBoxResult(MB_YESNO, kSecondButtonId), IDNO);
}

TEST(ProgressFill, NothingAtZeroAndTheWholeFillAtFullRange)
{
    EXPECT_EQ(ProgressFillFor(316, 0, 100, 0).filled, 0);
    const ProgressFill full = ProgressFillFor(316, 0, 100, 100);
    EXPECT_EQ(full.filled, 316);
    EXPECT_EQ(full.half, 158);
    const ProgressFill part = ProgressFillFor(316, 0, 100, 37);
    EXPECT_EQ(part.filled, 116);
    EXPECT_EQ(part.half, 58);
}

TEST(ProgressFill, EmptyRangeDrawsNothingInsteadOfDividingByZero)
{
    EXPECT_EQ(ProgressFillFor(316, 5, 5, 5).filled, 0);
    EXPECT_EQ(ProgressFillFor(316, 10, 0, 5).filled, 0);
    EXPECT_EQ(ProgressPercentText(5, 5, 5), QStringLiteral("0%"));
}

TEST(ProgressFill, PercentText)
{
    EXPECT_EQ(ProgressPercentText(0, 100, 37), QStringLiteral("37%"));
    EXPECT_EQ(ProgressPercentText(0, 200, 100), QStringLiteral("50%"));
    EXPECT_EQ(CentredFillRect(QSize(324, 20), QSize(316, 12)), QRect(4, 4, 316, 12));
}
