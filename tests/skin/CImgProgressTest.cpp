#include <gtest/gtest.h>

#include <QTest>

#include "skin/CImgProgress.h"
#include "skin/SkinImage.h"
#include "skin/SkinTestSupport.h"

namespace {

// Background 60 x 10 grey; fill 50 x 4: red left cap, green middle, blue right cap.
QImage Background()
{
    QImage image(60, 10, QImage::Format_RGB32);
    image.fill(qRgb(90, 90, 90));
    return image;
}

QImage Fill()
{
    QImage image(50, 4, QImage::Format_RGB32);
    image.fill(qRgb(0, 200, 0));
    for (int y = 0; y < 4; ++y) {
        image.setPixel(0, y, qRgb(200, 0, 0));
        image.setPixel(49, y, qRgb(0, 0, 200));
    }
    return image;
}

class ProgressTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        bar = new CImgProgress(&parent);
        bar->SetImages(Background(), Fill());
        bar->SetRange(0, 100);
        parent.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    }

    QRgb At(int x, int y) { return bar->grab().toImage().pixel(x, y) & 0xffffff; }

    SolidBackground parent{QColor(0, 128, 128)};
    CImgProgress *bar = nullptr;
};

} // namespace

TEST_F(ProgressTest, BackgroundSizesTheControl)
{
    EXPECT_EQ(bar->size(), QSize(60, 10));
}

TEST_F(ProgressTest, PositionZeroDrawsNoFill)
{
    bar->SetPos(0);
    EXPECT_EQ(At(5, 4), 0x5a5a5au);
    EXPECT_EQ(At(30, 4), 0x5a5a5au);
}

TEST_F(ProgressTest, FullRangeDrawsTheWholeFillCentred)
{
    bar->SetPos(100);
    EXPECT_EQ(At(5, 3), 0xc80000u);
    EXPECT_EQ(At(30, 3), 0x00c800u);
    EXPECT_EQ(At(54, 3), 0x0000c8u);
    EXPECT_EQ(At(4, 3), 0x5a5a5au);
    EXPECT_EQ(At(30, 2), 0x5a5a5au);
}

TEST_F(ProgressTest, PartialFillShowsBothEndCaps)
{
    bar->SetPos(37);
    // 50 / 100 * 37 = 18 pixels: 9 from the left end, 9 from the right end.
    EXPECT_EQ(At(5, 3), 0xc80000u);
    EXPECT_EQ(At(5 + 17, 3), 0x0000c8u);
    EXPECT_EQ(At(5 + 18, 3), 0x5a5a5au);
    EXPECT_EQ(bar->PercentText(), QStringLiteral("37%"));
}

TEST_F(ProgressTest, PercentTextIsDrawnWhenAsked)
{
    QImage wide(120, 40, QImage::Format_RGB32);
    wide.fill(qRgb(90, 90, 90));
    bar->SetImages(wide, QImage());
    bar->SetPos(37);
    const QImage without = bar->grab().toImage();
    bar->m_bShowPercent = true;
    bar->m_crPercent = QColor(255, 255, 0);
    EXPECT_FALSE(HasColour(without, qRgb(255, 255, 0)));
    EXPECT_TRUE(HasColour(bar->grab().toImage(), qRgb(255, 255, 0)));
}

TEST_F(ProgressTest, PositionOutsideTheRangeMovesToItsEnd)
{
    bar->SetPos(40);
    bar->SetPos(150);
    EXPECT_EQ(bar->value(), 100);
    EXPECT_EQ(bar->PercentText(), "100%");
    bar->SetPos(-5);
    EXPECT_EQ(bar->value(), 0);
}

TEST_F(ProgressTest, EmptyRangeDrawsNoFillAndReadsZeroPercent)
{
    bar->SetRange(0, 0);
    bar->SetPos(0);
    EXPECT_EQ(At(30, 3), 0x5a5a5au);
    EXPECT_EQ(bar->PercentText(), QStringLiteral("0%"));
}
