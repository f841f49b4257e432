#include <gtest/gtest.h>

#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

#include "skin/CTabCtrlBase.h"
#include "skin/SkinImage.h"
#include "skin/SkinTestSupport.h"
#include "support/Wait.h"

namespace {

// Three 40 x 20 frames: normal red, hot green, selected blue.
QImage ItemStrip()
{
    QImage strip(120, 20, QImage::Format_RGB32);
    const QRgb colours[] = {qRgb(200, 0, 0), qRgb(0, 200, 0), qRgb(0, 0, 200)};
    for (int x = 0; x < 120; ++x)
        for (int y = 0; y < 20; ++y)
            strip.setPixel(x, y, colours[x / 40]);
    return strip;
}

class TabStrip : public CTabCtrlBase
{
public:
    using CTabCtrlBase::CTabCtrlBase;
    void SetHotTrack(bool on) { m_bHotTrack = on; }
    int ExtraMode() const { return m_nExtraMode; }
    int extras = 0;

protected:
    void DrawItemExtra(QPainter &, const QRect &, unsigned) override { ++extras; }
};

// Records where the last mouse move over `widget` arrived, so a test can tell that the
// pointer's move was delivered before it checks what the move did not change.
class MoveSeen : public QObject
{
public:
    explicit MoveSeen(QWidget *widget) { widget->installEventFilter(this); }
    QPoint last{-1, -1};

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::MouseMove)
            last = static_cast<QMouseEvent *>(event)->position().toPoint();
        return false;
    }
};

class TabTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        tabs = new TabStrip(&parent);
        ASSERT_TRUE(tabs->SetTabImages(QImage(), ItemStrip()));
        for (int i = 0; i < 3; ++i)
            tabs->InsertItem(i, QStringLiteral("页%1").arg(i));
        tabs->setGeometry(10, 10, 200, 20);
        parent.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    }

    QPoint Centre(int index) const { return tabs->GetItemRect(index).center(); }

    void MoveOnto(int index) { PointerTo(tabs, Centre(index)); }
    QRgb Pixel(int index) { return tabs->grab().toImage().pixel(tabs->GetItemRect(index).topLeft() + QPoint(1, 1)) & 0xffffff; }

    SolidBackground parent{QColor(0, 128, 128)};
    TabStrip *tabs = nullptr;
};

} // namespace

TEST_F(TabTest, ItemsTakeTheFrameSizeSideBySide)
{
    EXPECT_EQ(tabs->GetItemSize(), QSize(40, 20));
    EXPECT_EQ(tabs->GetItemRect(0), QRect(0, 0, 40, 20));
    EXPECT_EQ(tabs->GetItemRect(1), QRect(43, 0, 40, 20));
    EXPECT_EQ(tabs->HitTest(QPoint(41, 5)), -1);
    EXPECT_EQ(tabs->HitTest(QPoint(50, 5)), 1);
}

TEST_F(TabTest, HotStateFollowsTheMouseAndClearsOnLeave)
{
    MoveOnto(1);
    ASSERT_EVENTUALLY(tabs->GetHotItem() == 1);
    EXPECT_EQ(Pixel(1), 0x00c800u);
    MoveOnto(2);
    ASSERT_EVENTUALLY(tabs->GetHotItem() == 2);
    EXPECT_EQ(tabs->GetItemState(1), 0u);
    EXPECT_EQ(Pixel(1), 0xc80000u);
    PointerTo(&parent, QPoint(300, 200));
    ASSERT_EVENTUALLY(tabs->GetHotItem() == -1);
    EXPECT_EQ(Pixel(2), 0xc80000u);
}

TEST_F(TabTest, SelectedTabNeverBecomesHot)
{
    QSignalSpy changes(tabs, &CTabCtrlBase::selectionChanged);
    MoveOnto(0);
    ASSERT_EVENTUALLY(tabs->GetHotItem() == 0);
    QTest::mouseClick(tabs, Qt::LeftButton, {}, Centre(0));
    EXPECT_EQ(tabs->GetCurSel(), 0);
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(tabs->GetHotItem(), -1);
    PointerTo(tabs, Centre(0) + QPoint(1, 0));
    MoveOnto(1);
    ASSERT_EVENTUALLY(tabs->GetHotItem() == 1);
    PointerTo(tabs, Centre(0));
    ASSERT_EVENTUALLY(tabs->GetHotItem() == -1);
    EXPECT_EQ(Pixel(0), 0x0000c8u);
    // Selecting another tab leaves the old one plain, not hot, while the mouse is elsewhere.
    QTest::mouseClick(tabs, Qt::LeftButton, {}, Centre(1));
    EXPECT_EQ(tabs->GetItemState(0), 0u);
    EXPECT_EQ(Pixel(0), 0xc80000u);
}

TEST_F(TabTest, WithoutHotTrackingTheSelectedTabShowsFrameOne)
{
    tabs->SetHotTrack(false);
    tabs->SetCurSel(1);
    MoveSeen seen(tabs);
    MoveOnto(2);
    ASSERT_EVENTUALLY(tabs->HitTest(seen.last) == 2);
    EXPECT_EQ(tabs->GetHotItem(), -1);
    EXPECT_EQ(Pixel(2), 0xc80000u);
    EXPECT_EQ(Pixel(1), 0x00c800u);
    EXPECT_FALSE(HasColour(tabs->grab().toImage(), qRgb(0, 0, 200)));
}

TEST_F(TabTest, DisabledItemsIgnoreClicksAndHover)
{
    tabs->SetCurSel(0);
    tabs->SetItemState(2, 0x2, 0x2);
    MoveOnto(1);
    ASSERT_EVENTUALLY(tabs->GetHotItem() == 1);
    MoveOnto(2);
    ASSERT_EVENTUALLY(tabs->GetHotItem() == -1);
    QTest::mouseClick(tabs, Qt::LeftButton, {}, Centre(2));
    EXPECT_EQ(tabs->GetCurSel(), 0);
    // No image for a disabled item: the parent's background shows.
    EXPECT_EQ(Pixel(2), 0x008080u);
}

TEST_F(TabTest, EveryItemRunsTheExtraStepAndTextsShowWithoutStrip)
{
    tabs->extras = 0;
    tabs->grab();
    EXPECT_EQ(tabs->extras, 3);

    TabStrip bare(&parent);
    EXPECT_FALSE(bare.SetTabImages(QImage(), QImage()));
    bare.InsertItem(0, QStringLiteral("测试"));
    bare.resize(120, 20);
    const QImage shot = bare.grab().toImage();
    EXPECT_EQ(shot.pixel(1, 1) & 0xffffff, 0x008080u);
    bool textDrawn = false;
    for (int x = 0; x < shot.width(); ++x)
        for (int y = 0; y < shot.height(); ++y)
            textDrawn |= qGray(shot.pixel(x, y)) < 40;
    EXPECT_TRUE(textDrawn);
}

TEST_F(TabTest, ExtraStripSwitchesTheExtraMode)
{
    EXPECT_EQ(tabs->ExtraMode(), 1);
    QImage extra(39, 13, QImage::Format_RGB32);
    extra.fill(Qt::white);
    TabStrip withExtra(&parent);
    EXPECT_TRUE(withExtra.SetTabImages(extra, ItemStrip()));
    EXPECT_EQ(withExtra.ExtraMode(), 4);
    EXPECT_EQ(withExtra.GetItemSize(), QSize(40, 20));

    // An extra strip too narrow for three frames fails and leaves the mode alone.
    TabStrip narrowExtra(&parent);
    EXPECT_FALSE(narrowExtra.SetTabImages(QImage(2, 13, QImage::Format_RGB32), ItemStrip()));
    EXPECT_EQ(narrowExtra.ExtraMode(), 1);
}
