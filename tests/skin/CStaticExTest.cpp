#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QSignalSpy>
#include <QTest>

#include "skin/CStaticEx.h"
#include "skin/SkinText.h"
#include "skin/SkinTestSupport.h"
#include "support/Wait.h"

namespace {

class StaticTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        label = new CStaticEx(&parent);
        label->setFont(QFont(QStringLiteral("WenQuanYi Micro Hei"), 12));
        label->move(10, 10);
        parent.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
        metrics = std::make_unique<QFontMetrics>(label->TextFont());
    }

    int Width(const QString &s) const { return metrics->horizontalAdvance(s); }

    SolidBackground parent{QColor(0, 128, 128)};
    CStaticEx *label = nullptr;
    std::unique_ptr<QFontMetrics> metrics;
};

} // namespace

TEST_F(StaticTest, LongTextWrapsInsideWords)
{
    label->SetText(QStringLiteral("岚汐翼川记登录器"));
    label->resize(Width(QStringLiteral("岚汐翼")) + 2, 80);
    EXPECT_EQ(label->TextLines(), QStringList({QStringLiteral("岚汐翼"), QStringLiteral("川记登"), QStringLiteral("录器")}));
    label->SetText(QStringLiteral("download"));
    label->resize(Width(QStringLiteral("down")) + 1, 80);
    EXPECT_EQ(label->TextLines().first(), QStringLiteral("down"));
}

TEST_F(StaticTest, CarriageReturnLineFeedGivesOneBreak)
{
    label->SetText(QStringLiteral("第一行\r\n第二行"));
    label->resize(300, 80);
    EXPECT_EQ(label->TextLines(), QStringList({QStringLiteral("第一行"), QStringLiteral("第二行")}));
}

TEST_F(StaticTest, NarrowerThanOneSampleCharacterShowsNoText)
{
    const int charWidth = Width(CharWidthSample()) / kCharWidthSampleCount;
    label->SetText(QStringLiteral("岚汐"));
    label->resize(charWidth - 1, 30);
    EXPECT_TRUE(label->TextLines().isEmpty());
    label->m_crNormal = Qt::black;
    EXPECT_FALSE(HasColour(label->grab().toImage(), qRgb(0, 0, 0)));
}

TEST_F(StaticTest, ImageInFrontMovesTheTextRight)
{
    label->SetText(QStringLiteral("岚汐翼川记"));
    label->resize(Width(QStringLiteral("岚汐翼川记")) + 2, 30);
    EXPECT_EQ(label->TextLines().size(), 1);
    label->m_nImageWidth = 16;
    EXPECT_EQ(label->TextLines().size(), 2);
}

TEST_F(StaticTest, LinkShowsTheHandAndTheHoverColour)
{
    label->SetText(QStringLiteral("手动下载"));
    label->resize(120, 24);
    label->m_bLink = true;
    label->m_bHoverColor = true;
    label->m_crNormal = QColor(0, 0, 255);
    label->m_crHover = QColor(255, 0, 0);
    QSignalSpy clicks(label, &CStaticEx::clicked);

    PointerTo(&parent, QPoint(300, 250));
    PointerTo(label, QPoint(10, 10));
    ASSERT_EVENTUALLY(label->m_bHover);
    EXPECT_EQ(label->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_TRUE(HasColour(label->grab().toImage(), qRgb(255, 0, 0)));

    QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(clicks.count(), 1);

    PointerTo(&parent, QPoint(300, 250));
    ASSERT_EVENTUALLY(!label->m_bHover);
    EXPECT_FALSE(HasColour(label->grab().toImage(), qRgb(255, 0, 0)));
}

TEST_F(StaticTest, FontOverridesApply)
{
    CStaticEx custom(&parent);
    custom.m_nFontHeight = 16;
    custom.m_nFontWeight = 700;
    custom.m_nUnderline = 1;
    const QFont font = custom.TextFont();
    // A positive height is the cell's: the line fits it, one pixel more would not.
    EXPECT_LE(QFontMetrics(font).height(), 16);
    QFont larger = font;
    larger.setPixelSize(font.pixelSize() + 1);
    EXPECT_GT(QFontMetrics(larger).height(), 16);
    EXPECT_EQ(font.weight(), QFont::Bold);
    EXPECT_TRUE(font.underline());

    // A negative height is the characters' own.
    CStaticEx characters(&parent);
    characters.m_nFontHeight = -16;
    EXPECT_EQ(characters.TextFont().pixelSize(), 16);
}
