#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "login/PixelRegion.h"

namespace {

constexpr QRgb kKey = 0xFEFEFE;

// Regions built from scan lines list their rectangles differently from one built whole.
testing::AssertionResult SameArea(const QRegion &actual, const QRegion &expected)
{
    if ((actual ^ expected).isEmpty())
        return testing::AssertionSuccess();
    const QRect box = actual.boundingRect();
    return testing::AssertionFailure() << "region of " << actual.rectCount() << " rectangles within " << box.width()
                                       << "x" << box.height() << "+" << box.x() << "+" << box.y();
}

// A key-coloured picture of `size` device pixels with `block` filled in another colour.
QImage KeyedPicture(QSize size, QRect block, qreal ratio = 1.0)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(QColor::fromRgb(kKey));
    QPainter(&image).fillRect(block, QColor(0x20, 0x40, 0x60));
    image.setDevicePixelRatio(ratio);
    return image;
}

TEST(PixelRegionTest, KeyedRegionIsInTheImagesOwnPixelsAtEveryRatio)
{
    EXPECT_TRUE(SameArea(RegionWithoutKey(KeyedPicture({240, 150}, {10, 10, 100, 100}), kKey), QRegion(10, 10, 100, 100)));
    // A rendering grabbed on a scaled display is in device pixels, and so is its shape:
    // an edge between two logical pixels keeps its device pixel.
    EXPECT_TRUE(SameArea(RegionWithoutKey(KeyedPicture({480, 300}, {20, 20, 200, 200}, 2.0), kKey), QRegion(20, 20, 200, 200)));
    EXPECT_TRUE(SameArea(RegionWithoutKey(KeyedPicture({360, 225}, {15, 16, 151, 149}, 1.5), kKey), QRegion(15, 16, 151, 149)));
    EXPECT_TRUE(SameArea(RegionWithoutKey(KeyedPicture({300, 188}, {13, 1, 7, 186}, 1.25), kKey), QRegion(13, 1, 7, 186)));
}

TEST(PixelRegionTest, KeyIgnoresAlphaAndKeepsNearKeyPixels)
{
    QImage image = KeyedPicture({4, 1}, {});
    image.setPixel(1, 0, qRgba(254, 254, 254, 0));
    image.setPixel(2, 0, qRgb(254, 254, 253));
    EXPECT_TRUE(SameArea(RegionWithoutKey(image, kKey), QRegion(2, 0, 1, 1)));
    EXPECT_TRUE(RegionWithoutKey(KeyedPicture({8, 8}, {}), kKey).isEmpty());
}

TEST(PixelRegionTest, OpaqueRegionFollowsTheRatioAndTheThreshold)
{
    QImage image(8, 4, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter(&image).fillRect(QRect(2, 0, 4, 4), QColor(0, 0, 0, 100));
    EXPECT_TRUE(SameArea(OpaqueRegion(image), QRegion(2, 0, 4, 4)));
    EXPECT_TRUE(OpaqueRegion(image, 128).isEmpty());
    image.setDevicePixelRatio(2.0);
    EXPECT_TRUE(SameArea(OpaqueRegion(image), QRegion(1, 0, 2, 2)));
}

TEST(PixelRegionTest, PlainColourSeesASinglePixelOfAnotherColour)
{
    QImage image = KeyedPicture({300, 200}, {});
    EXPECT_TRUE(IsPlainColour(image, kKey));
    EXPECT_FALSE(IsPlainColour(image, 0xFFFFFF));
    image.setPixel(299, 199, qRgb(254, 254, 255));
    EXPECT_FALSE(IsPlainColour(image, kKey));
    EXPECT_TRUE(IsPlainColour(QImage(), kKey));
}

} // namespace
