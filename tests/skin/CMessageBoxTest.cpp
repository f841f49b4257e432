#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include "skin/CBtnEx.h"
#include "skin/CMessageBox.h"
#include "skin/SkinImage.h"
#include "support/Wait.h"

namespace {

class TestBox : public CMessageBox
{
public:
    TestBox(int type, const QString &text)
    {
        SetParams(type, QStringLiteral("岚汐翼川记"), text, LoadSkinImage(SkinId::SmallDialogBack),
                  LoadSkinImage(SkinId::CloseButton), LoadSkinImage(SkinId::DialogButton),
                  LoadSkinImage(SkinId::DialogButton));
    }

    CBtnEx *Button(int id) const
    {
        for (CBtnEx *b : findChildren<CBtnEx *>())
            if (b->GetDlgCtrlID() == id)
                return b;
        return nullptr;
    }
};

QSize DialogButtonFrame()
{
    const QImage strip = LoadSkinImage(SkinId::DialogButton);
    return QSize(strip.width() / 4, strip.height());
}

// Clicks the button `id` of whichever message box is open, once it shows.
void ClickWhenOpen(int id)
{
    QTimer::singleShot(0, [id] {
        QWidget *box = nullptr;
        ASSERT_EVENTUALLY((box = QApplication::activeModalWidget()) != nullptr);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(box));
        for (CBtnEx *b : box->findChildren<CBtnEx *>())
            if (b->GetDlgCtrlID() == id)
                QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(5, 5));
    });
}

// What xdotool answers to `arguments`.
QString Xdotool(const QStringList &arguments)
{
    QProcess tool;
    tool.start(QStringLiteral("xdotool"), arguments);
    tool.waitForFinished();
    return QString::fromUtf8(tool.readAllStandardOutput());
}

} // namespace

TEST(MessageBoxSize, OneLineNarrowerThanTheButtons)
{
    TestBox box(MB_OKCANCEL, QStringLiteral("短"));
    box.show();
    const QSize frame = DialogButtonFrame();
    const QSize text = box.MeasureText();
    EXPECT_EQ(box.size(), QSize(2 * frame.width() + 60, 3 + 90 + text.height() + frame.height()));
    const CBtnEx *first = box.Button(kFirstButtonId);
    const CBtnEx *second = box.Button(kSecondButtonId);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->geometry().right() + 1, box.width() / 2 - 10);
    EXPECT_EQ(second->x(), box.width() / 2 + 10);
    EXPECT_EQ(first->geometry().bottom() + 1, box.height() - 30);
    EXPECT_EQ(first->size(), frame);
    EXPECT_EQ(first->m_strText, QStringLiteral("确定"));
    EXPECT_EQ(second->m_strText, QStringLiteral("取消"));
    EXPECT_TRUE(box.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(box.windowTitle(), QStringLiteral("岚汐翼川记"));
    // Only the close caption button exists.
    EXPECT_EQ(box.findChildren<CBtnEx *>().size(), 3);
}

TEST(MessageBoxSize, ThreeLinesGrowByTheirHeightAndThreePixelsEach)
{
    TestBox one(MB_OK, QStringLiteral("岚汐翼川记已成功移除，部分文件将在程序退出"));
    TestBox three(MB_OK, QStringLiteral("岚汐翼川记已成功移除，部分文件将在程序退出\n或计算机重启后自行删除\n谢谢"));
    one.show();
    three.show();
    const int lineHeight = one.MeasureText().height();
    EXPECT_EQ(three.height() - one.height(), 2 * lineHeight + 2 * 3);
    EXPECT_EQ(one.width(), one.MeasureText().width() + 60);
    EXPECT_EQ(three.width(), one.width());
    const CBtnEx *ok = three.Button(kFirstButtonId);
    ASSERT_TRUE(ok);
    EXPECT_EQ(ok->x(), (three.width() - DialogButtonFrame().width()) / 2);
    EXPECT_EQ(three.Button(kSecondButtonId), nullptr);
}

TEST(MessageBoxResult, ButtonsGiveThePlatformCodes)
{
    const struct { int type; int button; int result; } cases[] = {
        {MB_OK, kFirstButtonId, IDOK},
        {MB_OKCANCEL, kFirstButtonId, IDOK},
        {MB_OKCANCEL, kSecondButtonId, IDCANCEL},
        {MB_YESNO, kFirstButtonId, IDYES},
        {MB_YESNO, kSecondButtonId, IDNO},
    };
    for (const auto &c : cases) {
        TestBox box(c.type, QStringLiteral("窗口即将关闭，是否要退出游戏？"));
        ClickWhenOpen(c.button);
        EXPECT_EQ(box.DoModal(), c.result) << c.type << " " << c.button;
    }
}

TEST(MessageBoxResult, CloseButtonCancelsEveryType)
{
    for (int type : {MB_OK, MB_OKCANCEL, MB_YESNO, 2}) {
        TestBox box(type, QStringLiteral("确定要退出账号：青云客 ?"));
        ClickWhenOpen(kCaptionCloseId);
        EXPECT_EQ(box.DoModal(), IDCANCEL) << type;
    }
}

TEST(MessageBoxResult, ShowSkinnedMessageRunsTheBoxModally)
{
    ClickWhenOpen(kFirstButtonId);
    EXPECT_EQ(ShowSkinnedMessage(MB_YESNO, QStringLiteral("岚汐翼川记"), QStringLiteral("窗口即将关闭，是否要退出游戏？")), IDYES);
    ClickWhenOpen(kFirstButtonId);
    EXPECT_EQ(ShowSkinnedMessage(7, QStringLiteral("岚汐翼川记"), QStringLiteral("缓存清除完毕！")), IDOK);
}

// A real Enter from the keyboard, with the pointer away from the box: the box takes the
// keyboard when it shows (also without a window manager), takes it back when the window
// manager hands it to the owner, and belongs to the window under it, which alone it blocks.
// A box that follows a dialog's answer belongs to the window that dialog belonged to.
TEST(MessageBoxResult, EnterAnswersTheFirstButtonOverItsOwner)
{
    for (const bool afterDialog : {false, true}) {
        SCOPED_TRACE(afterDialog ? "after a dialog's answer" : "over its owner");
        QWidget owner;
        owner.setWindowTitle(QStringLiteral("owner"));
        owner.resize(400, 300);
        owner.show();
        owner.activateWindow();
        ASSERT_EVENTUALLY(owner.isActiveWindow());
        QDialog dialog(&owner);
        if (afterDialog) {
            dialog.show();
            dialog.activateWindow();
            ASSERT_EVENTUALLY(dialog.isActiveWindow());
        }
        ASSERT_EQ(QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QStringLiteral("0"), QStringLiteral("0")}), 0);
        QTimer::singleShot(0, [&owner, afterDialog] {
            QWidget *box = nullptr;
            ASSERT_EVENTUALLY((box = QApplication::activeModalWidget()) != nullptr);
            ASSERT_EVENTUALLY(box->isActiveWindow());
            // A window manager hands the keyboard to the owner: it comes back to the box.
            bool ownerFocused = false;
            const QMetaObject::Connection watch = QObject::connect(
                qApp, &QGuiApplication::focusWindowChanged, [&](QWindow *focus) { ownerFocused |= focus == owner.windowHandle(); });
            EXPECT_EQ(QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), QString::number(owner.winId())}), 0);
            EXPECT_EVENTUALLY(ownerFocused);
            QObject::disconnect(watch);
            ASSERT_EVENTUALLY(box->isActiveWindow());
            // Also after the player clicked another program's window, which this program
            // never hears of: the window manager refuses a request stamped before that click.
            if (!afterDialog) {
                QProcess other;
                other.start(QStringLiteral("xmessage"), {QStringLiteral("-geometry"), QStringLiteral("+700+500"), QStringLiteral("other")});
                QString otherId;
                ASSERT_EVENTUALLY(!(otherId = Xdotool({"search", "--onlyvisible", "--class", "Xmessage"}).trimmed()).isEmpty());
                EXPECT_EQ(QProcess::execute(QStringLiteral("xdotool"), {"mousemove", "--window", otherId, "10", "10", "click", "1"}), 0);
                EXPECT_EVENTUALLY(Xdotool({"getactivewindow"}).trimmed() == otherId);
                EXPECT_EQ(QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), QString::number(owner.winId())}), 0);
                EXPECT_EVENTUALLY(box->isActiveWindow() && Xdotool({"getactivewindow"}).trimmed() == QString::number(box->winId()));
                other.kill();
                other.waitForFinished();
            }
            EXPECT_EQ(box->windowHandle()->transientParent(), owner.windowHandle());
            EXPECT_EQ(box->windowModality(), Qt::WindowModal);
            EXPECT_EQ(QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Return")}), 0);
        });
        dialog.accept();
        EXPECT_EQ(ShowSkinnedMessage(MB_YESNO, QStringLiteral("岚汐翼川记"), QStringLiteral("窗口即将关闭，是否要退出游戏？")), IDYES);
    }
}

TEST(MessageBoxResult, MissingButtonStripStillClosesWithCancel)
{
    CMessageBox box;
    box.SetParams(MB_OK, QStringLiteral("岚汐翼川记"), QStringLiteral("缓存清除完毕！"),
                  LoadSkinImage(SkinId::SmallDialogBack), LoadSkinImage(SkinId::CloseButton), QImage(), QImage());
    QTimer::singleShot(0, [&box] {
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&box));
        EXPECT_EQ(box.width(), box.MeasureText().width() + 60);
        box.close();
    });
    EXPECT_EQ(box.DoModal(), IDCANCEL);
}
