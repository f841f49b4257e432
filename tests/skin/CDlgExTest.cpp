#include <gtest/gtest.h>


#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include "skin/CBtnEx.h"
#include "skin/CDlgEx.h"
#include "skin/CTabCtrlBase.h"
#include "skin/MessageBoxLayout.h"
#include "skin/SkinImage.h"
#include "skin/SkinTestSupport.h"
#include "support/EventCount.h"
#include "support/Wait.h"

namespace {

// A skinned dialog as its subclasses set it up, with its fields open to the test.
class TestDialog : public CDlgEx
{
public:
    TestDialog(int caption, bool resizable)
        : m_caption(caption)
        , m_resizable(resizable)
    {
        resize(400, 300);
    }

    CBtnEx *Button(int id) const
    {
        for (CBtnEx *b : findChildren<CBtnEx *>())
            if (b->GetDlgCtrlID() == id)
                return b;
        return nullptr;
    }

    using CDlgEx::m_bMaximized;
    using CDlgEx::m_nMaxHeight;
    using CDlgEx::m_nMaxWidth;
    using CDlgEx::m_rcRestore;
    QRegion painted;

protected:
    bool OnInitDialog() override
    {
        CDlgEx::OnInitDialog();
        m_nCaptionHeight = m_caption;
        m_nBorder = 4;
        m_nBtnRightMargin = 5;
        m_nBtnTop = 1;
        m_nBtnGap = 2;
        m_bResizable = m_resizable;
        SetSkin(LoadSkinImage(SkinId::MainBack), LoadSkinImage(SkinId::CloseButton), LoadSkinImage(SkinId::MinimizeButton),
                LoadSkinImage(SkinId::MaximizeButton), LoadSkinImage(SkinId::RestoreButton));
        return true;
    }

    void paintEvent(QPaintEvent *event) override
    {
        painted += event->region();
        CDlgEx::paintEvent(event);
    }

private:
    int m_caption;
    bool m_resizable;
};

class DialogTest : public ::testing::Test
{
protected:
    void Open(int caption, bool resizable)
    {
        dialog = std::make_unique<TestDialog>(caption, resizable);
        dialog->move(100, 100);
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    }

    QRect WorkArea() const { return dialog->screen()->availableGeometry(); }

    // A tab strip across the caption from the dialog's top edge, as the main window has.
    CTabCtrlBase *CaptionTabs()
    {
        auto *tabs = new CTabCtrlBase(dialog.get());
        QImage strip(120, 20, QImage::Format_RGB32);
        strip.fill(Qt::gray);
        tabs->SetTabImages(QImage(), strip);
        tabs->InsertItem(0, QStringLiteral("一"));
        tabs->InsertItem(1, QStringLiteral("二"));
        tabs->setGeometry(100, 0, 100, 20);
        tabs->show();
        return tabs;
    }

    // Presses the real left button at `from` (dialog coordinates), drags by `by`, releases.
    void Drag(QPoint from, QPoint by)
    {
        PointerTo(dialog.get(), from);
        TestWait::ProcessFor(50);
        ASSERT_TRUE(XDoTool({"mousedown", "1"}));
        TestWait::ProcessFor(50);
        PointerTo(dialog.get(), from + by);
        TestWait::ProcessFor(50);
        ASSERT_TRUE(XDoTool({"mouseup", "1"}));
    }

    std::unique_ptr<TestDialog> dialog;
};

} // namespace

TEST_F(DialogTest, CaptionButtonsArePlacedRightToLeftAndFollowResizes)
{
    Open(30, true);
    CBtnEx *close = dialog->Button(kCaptionCloseId);
    CBtnEx *max = dialog->Button(kCaptionMaximizeId);
    CBtnEx *min = dialog->Button(kCaptionMinimizeId);
    ASSERT_TRUE(close && max && min);
    EXPECT_EQ(close->geometry().right() + 1, 400 - 5);
    EXPECT_EQ(close->y(), 1);
    EXPECT_EQ(close->width(), LoadSkinImage(SkinId::CloseButton).width() / 4);
    EXPECT_EQ(max->geometry().right() + 1, close->x() - 2);
    EXPECT_EQ(min->geometry().right() + 1, max->x() - 2);
    dialog->resize(500, 300);
    EXPECT_EQ(close->geometry().right() + 1, 500 - 5);
    EXPECT_EQ(min->geometry().right() + 1, max->x() - 2);
}

TEST_F(DialogTest, OutlineIsCutFromTheBackgroundCorners)
{
    Open(30, false);
    EXPECT_FALSE(dialog->mask().contains(QPoint(0, 0)));
    EXPECT_FALSE(dialog->mask().contains(QPoint(399, 299)));
    EXPECT_TRUE(dialog->mask().contains(QPoint(200, 150)));
    dialog->resize(420, 350);
    EXPECT_FALSE(dialog->mask().contains(QPoint(419, 349)));
    EXPECT_TRUE(dialog->mask().contains(QPoint(399, 299)));
}

TEST_F(DialogTest, NineGridDrawsTheBackgroundCornersUnscaled)
{
    Open(30, false);
    const QImage back = LoadSkinImage(SkinId::MainBack);
    const QImage shot = dialog->grab().toImage();
    EXPECT_EQ(shot.pixel(3, 20) & 0xffffff, back.pixel(3, 20) & 0xffffff);
    EXPECT_EQ(shot.pixel(396, 297) & 0xffffff, back.pixel(back.width() - 4, back.height() - 3) & 0xffffff);
}

TEST_F(DialogTest, SetTitleRepaintsOnlyTheTitleStrip)
{
    Open(30, false);
    QApplication::processEvents();
    dialog->painted = QRegion();
    dialog->SetTitle(QStringLiteral("岚汐翼川记"));
    ASSERT_EVENTUALLY(!dialog->painted.isEmpty());
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("岚汐翼川记"));
    EXPECT_EQ(dialog->painted.boundingRect(), dialog->TitleRect());
    EXPECT_EQ(dialog->TitleRect().left(), 4 + 5);
    EXPECT_EQ(dialog->TitleRect().right() + 1, 400);
    dialog->setWindowIcon(AppIcon());
    EXPECT_EQ(dialog->TitleRect().left(), 16 + 4 + 5);
}

TEST_F(DialogTest, MaximiseOnALargeWorkAreaIsCentredAndRestoresToThreeQuarters)
{
    Open(30, true);
    const QRect work = WorkArea();
    EXPECT_EQ(dialog->m_nMaxWidth, work.width());
    dialog->m_nMaxWidth = work.width() - 200;
    dialog->m_nMaxHeight = work.height() - 100;
    dialog->ToggleMaximize();
    EXPECT_TRUE(dialog->m_bMaximized);
    EXPECT_EQ(dialog->geometry(), work.adjusted(100, 50, -100, -50));
    EXPECT_FALSE(dialog->Button(kCaptionMaximizeId)->m_bHover);
    dialog->ToggleMaximize();
    EXPECT_FALSE(dialog->m_bMaximized);
    EXPECT_EQ(dialog->geometry(), InitialRestoreRect(work));
}

TEST_F(DialogTest, MaximiseOnASmallWorkAreaFillsItAndTheButtonTogglesIt)
{
    Open(30, true);
    dialog->m_nMaxWidth = 100000;
    dialog->m_nMaxHeight = 100000;
    QTest::mouseClick(dialog->Button(kCaptionMaximizeId), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(dialog->m_bMaximized);
    EXPECT_EQ(dialog->geometry(), WorkArea());
}

TEST_F(DialogTest, RestoreReturnsToWhereADragEnded)
{
    Open(30, true);
    const QPoint before = dialog->pos();
    ASSERT_NO_FATAL_FAILURE(Drag(QPoint(150, 12), QPoint(40, 25)));
    ASSERT_EVENTUALLY(dialog->pos() == before + QPoint(40, 25));
    const QRect dragged = dialog->geometry();
    EXPECT_EQ(dialog->m_rcRestore, dragged);
    dialog->ToggleMaximize();
    dialog->ToggleMaximize();
    EXPECT_EQ(dialog->geometry(), dragged);
}

TEST_F(DialogTest, BorderDragResizesFromTheRightEdge)
{
    Open(30, true);
    ASSERT_NO_FATAL_FAILURE(Drag(QPoint(398, 150), QPoint(30, 0)));
    ASSERT_EVENTUALLY(dialog->width() == 430);
    EXPECT_EQ(dialog->m_rcRestore, dialog->geometry());
}

TEST_F(DialogTest, CaptionDoubleClickMaximisesOnlyResizableDialogs)
{
    Open(30, false);
    const QRect before = dialog->geometry();
    QTest::mouseDClick(dialog.get(), Qt::LeftButton, {}, QPoint(150, 12));
    EXPECT_FALSE(dialog->m_bMaximized);
    EXPECT_EQ(dialog->geometry(), before);

    Open(30, true);
    QTest::mouseDClick(dialog.get(), Qt::LeftButton, {}, QPoint(150, 12));
    EXPECT_TRUE(dialog->m_bMaximized);
    // Maximised, the caption lies in the client area; a double click there restores.
    QTest::mouseDClick(dialog.get(), Qt::LeftButton, {}, QPoint(150, 12));
    EXPECT_FALSE(dialog->m_bMaximized);
    // Below the caption nothing happens.
    QTest::mouseDClick(dialog.get(), Qt::LeftButton, {}, QPoint(150, 150));
    EXPECT_FALSE(dialog->m_bMaximized);
}

TEST_F(DialogTest, PressesOnATabStripNeitherDragNorResizeNorMaximise)
{
    Open(30, true);
    CTabCtrlBase *tabs = CaptionTabs();
    const QRect before = dialog->geometry();
    EventCount releases(tabs, QEvent::MouseButtonRelease);
    EventCount doubleClicks(tabs, QEvent::MouseButtonDblClick);

    // Dragging the second tab by its middle: the tab is selected, the window stays.
    Drag(QPoint(160, 12), QPoint(40, 25));
    ASSERT_EVENTUALLY(releases.count == 1);
    EXPECT_EQ(tabs->GetCurSel(), 1);
    EXPECT_EQ(dialog->geometry(), before);

    // The tab's top row lies in the window's resize border.
    Drag(QPoint(110, 1), QPoint(0, -20));
    ASSERT_EVENTUALLY(releases.count == 2);
    EXPECT_EQ(tabs->GetCurSel(), 0);
    EXPECT_EQ(dialog->geometry(), before);

    PointerTo(dialog.get(), QPoint(160, 12));
    TestWait::ProcessFor(50);
    ASSERT_TRUE(XDoTool({"click", "--repeat", "2", "--delay", "60", "1"}));
    ASSERT_EVENTUALLY(doubleClicks.count == 1 && releases.count == 4);
    EXPECT_FALSE(dialog->m_bMaximized);
    EXPECT_EQ(dialog->geometry(), before);
}

TEST_F(DialogTest, CaptionButtonInTheResizeBorderShowsTheArrow)
{
    Open(30, true);
    CBtnEx *close = dialog->Button(kCaptionCloseId);
    CBtnEx *min = dialog->Button(kCaptionMinimizeId);
    ASSERT_TRUE(close && min);
    // First over the window's own top border left of the buttons (a resize arrow there),
    // then onto the close button's top row, which lies in that border too.
    PointerTo(dialog.get(), QPoint(min->x() - 20, 1));
    ASSERT_EVENTUALLY(dialog->cursor().shape() == Qt::SizeVerCursor);
    PointerTo(close, QPoint(close->width() / 2, 2 - close->y()));
    ASSERT_EVENTUALLY(close->m_bTracking);
    PointerTo(close, QPoint(close->width() / 2 + 1, 2 - close->y()));
    ASSERT_EVENTUALLY(close->m_bHover);
    EXPECT_EQ(close->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(DialogTest, WithoutCaptionBandEveryPointDrags)
{
    Open(-1, false);
    EXPECT_EQ(dialog->HitTest(QPoint(200, 250)), HitCode::Caption);
    EXPECT_EQ(dialog->TitleRect().top(), 4);
}

TEST_F(DialogTest, CloseButtonEndsTheDialogWithCancel)
{
    dialog = std::make_unique<TestDialog>(30, false);
    QTimer::singleShot(0, [this] {
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        QTest::mouseClick(dialog->Button(kCaptionCloseId), Qt::LeftButton, {}, QPoint(5, 5));
    });
    EXPECT_EQ(dialog->DoModal(), IDCANCEL);
}

TEST_F(DialogTest, WithoutBackgroundNothingIsDrawnAndNoOutlineIsCut)
{
    CDlgEx bare;
    bare.resize(200, 100);
    bare.SetSkin(QImage(), QImage(), QImage(), QImage(), QImage());
    EXPECT_TRUE(bare.mask().isEmpty());
    EXPECT_TRUE(bare.findChildren<CBtnEx *>().isEmpty());
    QImage target(10, 10, QImage::Format_RGB32);
    QPainter painter(&target);
    EXPECT_FALSE(bare.EraseBackground(painter));
}
