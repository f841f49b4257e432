#include <gtest/gtest.h>

#include <QImage>

#include "skin/SkinGeometry.h"
#include "skin/SkinImage.h"

namespace {

// A background with key pixels only in the three outermost pixels of each corner.
QImage CornerKeyed(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    for (QPoint p : {QPoint(0, 0), QPoint(1, 0), QPoint(0, 1)}) {
        image.setPixel(p.x(), p.y(), KeyColor);
        image.setPixel(w - 1 - p.x(), p.y(), KeyColor);
        image.setPixel(p.x(), h - 1 - p.y(), KeyColor);
        image.setPixel(w - 1 - p.x(), h - 1 - p.y(), KeyColor);
    }
    return image;
}

} // namespace

TEST(NineGrid, WindowLargerThanImageStretchesEdgesAndKeepsCorners)
{
    const auto pieces = NineGridPieces(QSize(400, 300), QSize(100, 80), 4, 30);
    EXPECT_EQ(pieces[0].target, QRect(0, 0, 4, 30));
    EXPECT_EQ(pieces[0].source, QRect(0, 0, 4, 30));
    EXPECT_EQ(pieces[1].target, QRect(4, 0, 392, 30));
    EXPECT_EQ(pieces[1].source, QRect(4, 0, 92, 30));
    EXPECT_EQ(pieces[2].target, QRect(396, 0, 4, 30));
    EXPECT_EQ(pieces[2].source, QRect(96, 0, 4, 30));
    EXPECT_EQ(pieces[3].target, QRect(0, 30, 4, 266));
    EXPECT_EQ(pieces[3].source, QRect(0, 30, 4, 46));
    EXPECT_EQ(pieces[5].target, QRect(4, 30, 392, 266));
    EXPECT_EQ(pieces[5].source, QRect(4, 30, 92, 46));
    EXPECT_EQ(pieces[8].target, QRect(396, 296, 4, 4));
    EXPECT_EQ(pieces[8].source, QRect(96, 76, 4, 4));
}

TEST(NineGrid, WindowSmallerThanImageShrinksTheMiddle)
{
    const auto pieces = NineGridPieces(QSize(50, 40), QSize(100, 80), 4, 30);
    EXPECT_EQ(pieces[5].target, QRect(4, 30, 42, 6));
    EXPECT_EQ(pieces[5].source, QRect(4, 30, 92, 46));
    EXPECT_EQ(pieces[7].target, QRect(4, 36, 42, 4));
    EXPECT_EQ(pieces[6].source, QRect(0, 76, 4, 4));
}

TEST(NineGrid, NoCaptionMakesTheTopBandBorderHigh)
{
    const auto pieces = NineGridPieces(QSize(200, 100), QSize(60, 60), 3, -1);
    EXPECT_EQ(pieces[1].target, QRect(3, 0, 194, 3));
    EXPECT_EQ(pieces[3].target, QRect(0, 3, 3, 94));
}

TEST(WindowRegion, KeyCornersAreCutAndBottomCornersFollowTheHeight)
{
    const QRegion region = SkinWindowRegion(CornerKeyed(40, 30), QSize(300, 200));
    for (QPoint cut : {QPoint(0, 0), QPoint(1, 0), QPoint(0, 1), QPoint(299, 0), QPoint(298, 0), QPoint(299, 1),
                       QPoint(0, 199), QPoint(0, 198), QPoint(1, 199), QPoint(299, 199), QPoint(298, 199)})
        EXPECT_FALSE(region.contains(cut)) << cut.x() << "," << cut.y();
    for (QPoint kept : {QPoint(1, 1), QPoint(2, 0), QPoint(150, 0), QPoint(0, 29), QPoint(298, 198), QPoint(150, 100)})
        EXPECT_TRUE(region.contains(kept)) << kept.x() << "," << kept.y();
}

TEST(WindowRegion, BackgroundWithoutKeyGivesTheWholeRectangle)
{
    QImage plain(30, 30, QImage::Format_RGB32);
    plain.fill(Qt::white);
    EXPECT_EQ(SkinWindowRegion(plain, QSize(120, 90)), QRegion(0, 0, 120, 90));
}

TEST(WindowRegion, KeyPixelsOutsideTheCornerSquaresAreIgnored)
{
    QImage image(30, 30, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setPixel(15, 0, KeyColor);
    image.setPixel(9, 9, KeyColor);
    EXPECT_EQ(SkinWindowRegion(image, QSize(100, 100)), QRegion(0, 0, 100, 100));
}

TEST(WindowRegion, ImageShorterThanTheCornersDoesNotReadOutside)
{
    QImage tiny(4, 4, QImage::Format_RGB32);
    tiny.fill(KeyColor);
    const QRegion region = SkinWindowRegion(tiny, QSize(50, 50));
    EXPECT_FALSE(region.contains(QPoint(0, 0)));
    EXPECT_FALSE(region.contains(QPoint(49, 49)));
    EXPECT_TRUE(region.contains(QPoint(25, 25)));
}

TEST(HitTest, FixedDialogDragsFromItsCaptionOnly)
{
    const QSize client(300, 200);
    EXPECT_EQ(DlgHitTest({150, 10}, client, 4, 30, false, false), HitCode::Caption);
    EXPECT_EQ(DlgHitTest({0, 0}, client, 4, 30, false, false), HitCode::Caption);
    EXPECT_EQ(DlgHitTest({150, 30}, client, 4, 30, false, false), HitCode::Client);
    EXPECT_EQ(DlgHitTest({1, 199}, client, 4, 30, false, false), HitCode::Client);
}

TEST(HitTest, NoCaptionHeightMakesEveryPointCaption)
{
    const QSize client(300, 200);
    EXPECT_EQ(DlgHitTest({150, 150}, client, 4, -1, false, false), HitCode::Caption);
    EXPECT_EQ(DlgHitTest({299, 199}, client, 4, -1, false, false), HitCode::Caption);
    // Resizable: the borders still resize, the rest drags.
    EXPECT_EQ(DlgHitTest({150, 150}, client, 4, -1, true, false), HitCode::Caption);
    EXPECT_EQ(DlgHitTest({150, 198}, client, 4, -1, true, false), HitCode::Caption);
    EXPECT_EQ(DlgHitTest({1, 150}, client, 4, -1, true, false), HitCode::Left);
}

TEST(HitTest, ResizableDialogBordersAndCorners)
{
    const QSize client(300, 200);
    const int B = 6;
    EXPECT_EQ(DlgHitTest({0, 0}, client, B, 30, true, false), HitCode::TopLeft);
    EXPECT_EQ(DlgHitTest({5, 100}, client, B, 30, true, false), HitCode::Left);
    EXPECT_EQ(DlgHitTest({2, 197}, client, B, 30, true, false), HitCode::BottomLeft);
    EXPECT_EQ(DlgHitTest({299, 5}, client, B, 30, true, false), HitCode::TopRight);
    EXPECT_EQ(DlgHitTest({294, 100}, client, B, 30, true, false), HitCode::Right);
    EXPECT_EQ(DlgHitTest({296, 199}, client, B, 30, true, false), HitCode::BottomRight);
    EXPECT_EQ(DlgHitTest({150, 196}, client, B, 30, true, false), HitCode::Bottom);
    EXPECT_EQ(DlgHitTest({150, 100}, client, B, 30, true, false), HitCode::Client);
}

TEST(HitTest, TopBandIsThreePixelsWhateverTheBorder)
{
    const QSize client(300, 200);
    EXPECT_EQ(DlgHitTest({150, 0}, client, 6, 30, true, false), HitCode::Top);
    EXPECT_EQ(DlgHitTest({150, 2}, client, 6, 30, true, false), HitCode::Top);
    EXPECT_EQ(DlgHitTest({150, 3}, client, 6, 30, true, false), HitCode::Caption);
    EXPECT_EQ(DlgHitTest({150, 29}, client, 6, 30, true, false), HitCode::Caption);
    // Inside the corner squares the border still decides.
    EXPECT_EQ(DlgHitTest({3, 4}, client, 6, 30, true, false), HitCode::TopLeft);
}

TEST(HitTest, MaximizedDialogLeavesEverythingToTheClientArea)
{
    EXPECT_EQ(DlgHitTest({150, 10}, QSize(300, 200), 4, 30, true, true), HitCode::Client);
    EXPECT_EQ(DlgHitTest({0, 0}, QSize(300, 200), 4, 30, true, true), HitCode::Client);
}

TEST(Maximize, LargeWorkAreaIsShrunkAndCentred)
{
    EXPECT_EQ(MaximizedRect(QRect(0, 0, 1920, 1080), 1440, 900), QRect(240, 90, 1440, 900));
    EXPECT_EQ(MaximizedRect(QRect(100, 20, 1600, 1000), 1440, 900), QRect(180, 70, 1440, 900));
}

TEST(Maximize, SmallWorkAreaIsFilledExactly)
{
    EXPECT_EQ(MaximizedRect(QRect(0, 0, 1280, 720), 1440, 900), QRect(0, 0, 1280, 720));
    EXPECT_EQ(MaximizedRect(QRect(0, 30, 1600, 850), 1440, 900), QRect(80, 30, 1440, 850));
}

TEST(Maximize, FirstRestoreRectangleIsTheCentredThreeQuarters)
{
    EXPECT_EQ(InitialRestoreRect(QRect(0, 0, 1600, 1000)), QRect(200, 125, 1200, 750));
    EXPECT_EQ(InitialRestoreRect(QRect(10, 0, 1005, 801)), QRect(135, 100, 755, 601));
}

TEST(CaptionLayout, ButtonsAndTitle)
{
    EXPECT_EQ(CaptionButtonRect(300, 1, QSize(116, 24)), QRect(271, 1, 29, 24));
    // Caption 30, 12-pixel font: (30 - 12 + 1) / 2 - 2.
    EXPECT_EQ(TitleTop(30, 12), 7);
    EXPECT_EQ(TitleTop(30, -12), 7);
    // No caption band: q is negative and the title sits at y = 4.
    EXPECT_EQ(TitleTop(-1, 12), 4);
    EXPECT_EQ(IconTop(-1), 6);
    EXPECT_EQ(IconTop(30), 7);
}
