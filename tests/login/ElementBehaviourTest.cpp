#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <QWebEngineView>

#include "login/CDHtmDlgEx.h"
#include "login/CMyBrowserControlSite.h"
#include "support/RealInput.h"
#include "support/TestHttpServer.h"

namespace {

using namespace RealInput;

constexpr int kLoadTimeoutMs = 15000;

// Two 80 px wide buttons with three-state strips, one disabled, and a plain div area.
const QByteArray kPage = R"(<!doctype html><html><body style="margin:0;background:#fefefe">
<style>.button{position:absolute;display:block;width:80px;height:30px;
background:linear-gradient(90deg,#888 33%,#8c8 33%,#8c8 66%,#c88 66%);background-size:240px 30px}</style>
<div id="drag" style="position:absolute;left:0;top:0;width:300px;height:80px;background:#234"></div>
<span id="live" class="button" style="left:20px;top:120px"></span>
<span id="off" class="button" disabled style="left:160px;top:120px"></span>
<script>
window.clicks = {live: 0, off: 0};
for (const id of ['live', 'off'])
    document.getElementById(id).addEventListener('click', function () { clicks[id]++; });
</script></body></html>)";

// A browser host dialog with the standard element behaviours, driven by real pointer input.
class ElementBehaviourTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_server.SetPage(QStringLiteral("/page"), kPage);
        m_dialog.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
        m_dialog.setGeometry(200, 150, 400, 260);
        m_dialog.show();
        QSignalSpy loaded(&m_dialog, &CDHtmDlgEx::navigateComplete);
        m_dialog.Navigate(m_server.Url(QStringLiteral("/page")));
        ASSERT_TRUE(loaded.wait(kLoadTimeoutMs));
        QTest::qWait(500);
    }
    void TearDown() override { Xdo({QStringLiteral("mouseup"), QStringLiteral("1")}); }

    QString Position(const QString &id)
    {
        return Eval(m_dialog.Page(), QStringLiteral("document.getElementById('%1').style.backgroundPositionX").arg(id)).toString();
    }
    int Clicks(const QString &id) { return Eval(m_dialog.Page(), QStringLiteral("clicks.%1").arg(id)).toInt(); }
    QPoint Centre(const QString &id) { return ElementCenter(m_dialog.View(), m_dialog.Page(), id); }
    static bool Press() { return Xdo({QStringLiteral("mousedown"), QStringLiteral("1")}); }
    static bool Release() { return Xdo({QStringLiteral("mouseup"), QStringLiteral("1")}); }

    TestHttpServer m_server;
    CDHtmDlgEx m_dialog;
};

TEST_F(ElementBehaviourTest, ButtonStatesFollowThePointerAndThePressKeepsTheCapture)
{
    const QPoint live = Centre(QStringLiteral("live"));
    ASSERT_FALSE(live.isNull());
    ASSERT_TRUE(MoveTo(live));
    EXPECT_EQ(Position(QStringLiteral("live")), QStringLiteral("-80px"));
    ASSERT_TRUE(Press());
    EXPECT_EQ(Position(QStringLiteral("live")), QStringLiteral("-160px"));

    // Off the button with the button down: still pressed; released outside: normal, no click.
    ASSERT_TRUE(MoveTo(live + QPoint(0, 80)));
    EXPECT_EQ(Position(QStringLiteral("live")), QStringLiteral("-160px"));
    ASSERT_TRUE(Release());
    EXPECT_EQ(Position(QStringLiteral("live")), QStringLiteral("0px"));
    EXPECT_EQ(Clicks(QStringLiteral("live")), 0);

    // Pressed, wandered off and back, released inside: hover state and exactly one click.
    ASSERT_TRUE(MoveTo(live));
    ASSERT_TRUE(Press());
    ASSERT_TRUE(MoveTo(live + QPoint(0, 80)));
    ASSERT_TRUE(MoveTo(live));
    ASSERT_TRUE(Release());
    EXPECT_EQ(Position(QStringLiteral("live")), QStringLiteral("-80px"));
    EXPECT_EQ(Clicks(QStringLiteral("live")), 1);

    // Leaving without a press goes back to normal.
    ASSERT_TRUE(MoveTo(live + QPoint(0, 80)));
    EXPECT_EQ(Position(QStringLiteral("live")), QStringLiteral("0px"));
}

TEST_F(ElementBehaviourTest, DisabledButtonIsNeverHotPressedOrCaptured)
{
    const QPoint off = Centre(QStringLiteral("off"));
    const QPoint live = Centre(QStringLiteral("live"));
    ASSERT_TRUE(MoveTo(off));
    EXPECT_NE(Position(QStringLiteral("off")), QStringLiteral("-80px"));
    ASSERT_TRUE(Press());
    EXPECT_NE(Position(QStringLiteral("off")), QStringLiteral("-160px"));
    ASSERT_TRUE(Release());
    EXPECT_EQ(Clicks(QStringLiteral("off")), 0);

    // No capture: a press on it released over the live button clicks neither, and the
    // live button still reacts to hovering.
    ASSERT_TRUE(Press());
    ASSERT_TRUE(MoveTo(live));
    EXPECT_EQ(Position(QStringLiteral("live")), QStringLiteral("-80px"));
    ASSERT_TRUE(Release());
    EXPECT_EQ(Clicks(QStringLiteral("off")), 0);
    EXPECT_EQ(Clicks(QStringLiteral("live")), 0);
}

TEST_F(ElementBehaviourTest, DraggingAPlainAreaMovesTheWindow)
{
    const QPoint before = m_dialog.pos();
    const QPoint start = Centre(QStringLiteral("drag"));
    ASSERT_TRUE(MoveTo(start));
    // The drag request travels from the page over the web channel.
    ASSERT_TRUE(Xdo({QStringLiteral("mousedown"), QStringLiteral("1")}, 500));
    for (int step = 1; step <= 4; ++step)
        ASSERT_TRUE(MoveTo(start + QPoint(15 * step, 10 * step)));
    ASSERT_TRUE(Release());
    EXPECT_EQ(m_dialog.pos(), before + QPoint(60, 40));
}

TEST_F(ElementBehaviourTest, RightClickOpensNoMenu)
{
    const int windowsBefore = static_cast<int>(QGuiApplication::topLevelWindows().size());
    ASSERT_TRUE(MoveTo(Centre(QStringLiteral("drag")) + QPoint(0, 100)));
    ASSERT_TRUE(Xdo({QStringLiteral("click"), QStringLiteral("3")}, 500));
    int visible = 0;
    for (QWindow *window : QGuiApplication::topLevelWindows())
        visible += window->isVisible() ? 1 : 0;
    EXPECT_EQ(static_cast<int>(QGuiApplication::topLevelWindows().size()), windowsBefore);
    EXPECT_EQ(visible, 1);
}

} // namespace
