#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QSignalSpy>
#include <QTest>

#include "skin/CBtnEx.h"
#include "skin/SkinImage.h"
#include "skin/SkinTestSupport.h"
#include "support/Wait.h"

namespace {

// Four 10 x 10 frames in red, green, blue and yellow, each with a key-coloured centre.
QImage TestStrip()
{
    QImage strip(40, 10, QImage::Format_RGB32);
    const QRgb colours[] = {qRgb(200, 0, 0), qRgb(0, 200, 0), qRgb(0, 0, 200), qRgb(200, 200, 0)};
    for (int i = 0; i < 4; ++i)
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x)
                strip.setPixel(i * 10 + x, y, (x >= 3 && x < 7 && y >= 3 && y < 7) ? KeyColor : colours[i]);
    return strip;
}

class ButtonTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        button = new CBtnEx(7, &parent);
        button->SetImage(TestStrip(), true);
        button->move(50, 50);
        parent.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    }

    SolidBackground parent{QColor(0, 128, 128)};
    CBtnEx *button = nullptr;
};

} // namespace

TEST_F(ButtonTest, ResizesToOneFrameAndDrawsTheNormalFrame)
{
    EXPECT_EQ(button->size(), QSize(10, 10));
    const QImage shot = button->grab().toImage();
    EXPECT_EQ(shot.pixel(0, 0) & 0xffffff, 0xc80000u);
    // The key-coloured centre shows the parent's background.
    EXPECT_EQ(shot.pixel(5, 5) & 0xffffff, 0x008080u);
}

TEST_F(ButtonTest, HoverFrameAfterTheMouseRestsOnTheButton)
{
    PointerTo(&parent, QPoint(5, 5));
    PointerTo(button, QPoint(5, 5));
    ASSERT_EVENTUALLY(button->m_bHover);
    EXPECT_EQ(button->CurrentFrame(), FrameHover);
    PointerTo(&parent, QPoint(5, 5));
    ASSERT_EVENTUALLY(!button->m_bHover);
    EXPECT_FALSE(button->m_bTracking);
    EXPECT_EQ(button->CurrentFrame(), FrameNormal);
}

TEST_F(ButtonTest, PressedFrameLatchesUntilReleaseWhenDraggedOff)
{
    QSignalSpy clicks(button, &CBtnEx::clicked);
    PointerTo(button, QPoint(5, 5));
    ASSERT_EVENTUALLY(button->m_bTracking);
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(button->CurrentFrame(), FramePressed);
    QTest::mouseMove(button, QPoint(80, 80));
    EXPECT_FALSE(button->isDown());
    EXPECT_EQ(button->CurrentFrame(), FramePressed);
    EXPECT_EQ(button->grab().toImage().pixel(0, 0) & 0xffffff, 0x0000c8u);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(80, 80));
    EXPECT_FALSE(button->m_bPressed);
    EXPECT_NE(button->CurrentFrame(), FramePressed);
    EXPECT_EQ(clicks.count(), 0);
}

TEST_F(ButtonTest, ClickInsideReachesTheOwner)
{
    QSignalSpy clicks(button, &CBtnEx::clicked);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(button->GetDlgCtrlID(), 7);
}

TEST_F(ButtonTest, DoubleClickGivesOneClickAndOneDoubleClickNotice)
{
    QSignalSpy clicks(button, &CBtnEx::clicked);
    QSignalSpy doubleClicks(button, &CBtnEx::doubleClicked);
    int releases = 0;
    QObject::connect(button, &CBtnEx::released, [&] { ++releases; });
    PointerTo(button, QPoint(5, 5));
    ASSERT_EVENTUALLY(button->m_bTracking);
    ASSERT_TRUE(XDoTool({"click", "--repeat", "2", "--delay", "60", "1"}));
    ASSERT_EVENTUALLY(doubleClicks.count() == 1);
    // The second release, the one that could click again, has arrived too.
    ASSERT_EVENTUALLY(QGuiApplication::mouseButtons() == Qt::NoButton && releases == 1);
    TestWait::ProcessFor(50);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_FALSE(button->m_bPressed);
}

TEST_F(ButtonTest, DisabledButtonShowsFrameThreeAndGreyText)
{
    button->resize(80, 30);
    button->m_strText = QStringLiteral("确定");
    button->setFont(QFont(QStringLiteral("WenQuanYi Micro Hei"), 14));
    button->setEnabled(false);
    EXPECT_EQ(button->CurrentFrame(), FrameDisabled);
    const QImage shot = button->grab().toImage();
    EXPECT_TRUE(HasColour(shot, qRgb(0x6d, 0x6d, 0x6d)));
    EXPECT_EQ(shot.pixel(0, 0) & 0xffffff, 0xc8c800u);
}

TEST_F(ButtonTest, FrameOfAnotherSizeIsScaledWithTheKeyStillTransparent)
{
    button->resize(40, 40);
    const QImage shot = button->grab().toImage();
    EXPECT_EQ(shot.pixel(2, 2) & 0xffffff, 0xc80000u);
    EXPECT_EQ(shot.pixel(20, 20) & 0xffffff, 0x008080u);
    EXPECT_FALSE(HasColour(shot, KeyColor));
}

TEST_F(ButtonTest, WithoutImageOnlyTheBackgroundAndTextShow)
{
    CBtnEx bare(&parent);
    bare.resize(30, 20);
    bare.show();
    const QImage shot = bare.grab().toImage();
    EXPECT_EQ(shot.pixel(15, 10) & 0xffffff, 0x008080u);
}
