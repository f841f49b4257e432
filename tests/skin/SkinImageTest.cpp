#include <gtest/gtest.h>

#include <QImage>

#include "skin/SkinImage.h"

namespace {

QImage OnePixel(QRgb argb)
{
    QImage image(1, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, argb);
    return image;
}

QRgb Keyed(QRgb argb)
{
    return ToKeyedBitmap(OnePixel(argb), KeyColor).pixel(0, 0) & 0xffffff;
}

} // namespace

TEST(KeyedPixelRule, OpaquePixelsKeepTheirColour)
{
    EXPECT_EQ(Keyed(qRgba(12, 34, 56, 255)), 0x0c2238u);
}

TEST(KeyedPixelRule, HalfTransparentPixelsAreCompositedOverWhite)
{
    EXPECT_EQ(Keyed(qRgba(0, 0, 0, 128)), 0x7f7f7fu);
    EXPECT_EQ(Keyed(qRgba(255, 255, 255, 128)), 0xffffffu);
    // (65025 + 1 * (0 - 255)) / 255 = 254 for the faintest colour.
    EXPECT_EQ(Keyed(qRgba(0, 255, 0, 1)), 0xfefffeu);
}

TEST(KeyedPixelRule, FullyTransparentPixelsBecomeExactlyTheKeyColour)
{
    for (QRgb colour : {qRgba(0, 0, 0, 0), qRgba(255, 255, 255, 0), qRgba(10, 200, 30, 0)})
        EXPECT_EQ(Keyed(colour), 0xff00ffu);
}

TEST(KeyedPixelRule, ResultIsOpaqueAndKeepsOrientation)
{
    QImage image(2, 2, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    image.setPixel(0, 0, qRgba(255, 0, 0, 255));
    image.setPixel(1, 1, qRgba(0, 0, 255, 255));
    const QImage keyed = ToKeyedBitmap(image, KeyColor);
    EXPECT_FALSE(keyed.hasAlphaChannel());
    EXPECT_EQ(keyed.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(keyed.pixel(1, 1), qRgb(0, 0, 255));
    EXPECT_EQ(keyed.pixel(1, 0), KeyColor);
}

TEST(KeyedPixelRule, EmptyImageGivesNull)
{
    EXPECT_TRUE(ToKeyedBitmap(QImage(), KeyColor).isNull());
}

TEST(LoadSkinImage, EverySkinIdLoadsWithItsStripLayout)
{
    for (int id : {131, 132, 133, 134, 135, 137, 138, 142, 143, 156, 157, 161, 162, 164, 165}) {
        const QImage image = LoadSkinImage(id);
        ASSERT_FALSE(image.isNull()) << id;
        EXPECT_FALSE(image.hasAlphaChannel()) << id;
    }
    EXPECT_EQ(LoadSkinImage(SkinId::CloseButton).width() % 4, 0);
    EXPECT_EQ(LoadSkinImage(SkinId::DialogButton).width() % 4, 0);
    EXPECT_EQ(LoadSkinImage(SkinId::TabItem).width() % 3, 0);
    EXPECT_EQ(LoadSkinImage(SkinId::TabExtra).width() % 3, 0);
}

TEST(LoadSkinImage, WindowBackgroundsHaveKeyColouredCorners)
{
    for (int id : {SkinId::MainBack, SkinId::SmallDialogBack}) {
        const QImage image = LoadSkinImage(id);
        EXPECT_EQ(image.pixel(0, 0), KeyColor) << id;
        EXPECT_EQ(image.pixel(image.width() - 1, image.height() - 1), KeyColor) << id;
        EXPECT_NE(image.pixel(image.width() / 2, image.height() / 2), KeyColor) << id;
    }
}

TEST(LoadSkinImage, UnknownIdGivesNullEveryTime)
{
    EXPECT_TRUE(LoadSkinImage(9999).isNull());
    EXPECT_TRUE(LoadSkinImage(146).isNull());
    EXPECT_TRUE(LoadSkinImage(9999).isNull());
}

TEST(KeyedToTransparent, OnlyKeyPixelsBecomeTransparent)
{
    QImage keyed(2, 1, QImage::Format_RGB32);
    keyed.setPixel(0, 0, KeyColor);
    keyed.setPixel(1, 0, qRgb(254, 0, 255));
    const QImage out = KeyedToTransparent(keyed);
    EXPECT_EQ(qAlpha(out.pixel(0, 0)), 0);
    EXPECT_EQ(out.pixel(1, 0), qRgb(254, 0, 255));
}
