#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>
#include <QTimer>

#include "login/CLoginBkDlg.h"
#include "support/TestHttpServer.h"
#include "support/Wait.h"

namespace {

constexpr int kTimeoutMs = 20000;
// The page's one area that is not key colour, in window coordinates.
const QRect kBlock(10, 10, 100, 100);

const QByteArray kPage = R"(<!doctype html><html><head><link rel="stylesheet" href="/look.css"></head>
<body><div id="block"></div></body></html>)";
const QByteArray kLook = R"(body { margin: 0; background: #fefefe; }
#block { position: absolute; left: 10px; top: 10px; width: 100px; height: 100px; background: #204060; })";

// The style sheet, answered after `delayMs`.
TestHttpServer::Response Look(int delayMs)
{
    TestHttpServer::Response look;
    look.body = kLook;
    look.contentType = "text/css";
    look.delayMs = delayMs;
    return look;
}

// The login page window's state on the X server, as xwininfo reports it.
struct ServerShape {
    bool viewable{false};
    // The bounding box of the window's shape in device pixels, relative to the window.
    QRect extents;
};

ServerShape ShapeOnServer(WId window)
{
    QProcess xwininfo;
    xwininfo.start(QStringLiteral("xwininfo"), {QStringLiteral("-shape"), QStringLiteral("-id"), QString::number(window)});
    xwininfo.waitForFinished();
    const QString text = QString::fromLocal8Bit(xwininfo.readAllStandardOutput());
    ServerShape shape;
    shape.viewable = text.contains(QStringLiteral("IsViewable"));
    static const QRegularExpression extents(
        QStringLiteral("Window shape extents:\\s+(\\d+)x(\\d+)\\+(-?\\d+)\\+(-?\\d+)"));
    const QRegularExpressionMatch match = extents.match(text);
    if (match.hasMatch())
        shape.extents = QRect(match.captured(3).toInt(), match.captured(4).toInt(), match.captured(1).toInt(),
                              match.captured(2).toInt());
    return shape;
}

// Whether a shape with these extents shows any pixel of a window of `size`.
bool ShowsAnything(const QRect &extents, const QSize &size)
{
    return extents.intersects(QRect(QPoint(0, 0), size));
}

// The login window over a page whose style sheet draws one block on key colour; the
// test runs the whole set-up under QT_SCALE_FACTOR 1 and 2.
class LoginKeyShapeTest : public testing::Test
{
protected:
    void SetUp() override { m_server.SetPage(QStringLiteral("/page"), kPage); }

    // Runs the login window until the server shows the block's shape, sampling the page
    // window's shape on the server all the while; answers the samples taken while the
    // window was viewable, the last one being the block's.
    QList<ServerShape> RunUntilTheBlockShows(CLoginBkDlg &dialog)
    {
        QList<ServerShape> samples;
        QTimer sampler;
        QObject::connect(&sampler, &QTimer::timeout, &dialog, [&] {
            CLoginDlg &page = dialog.LoginPage;
            if (!page.isVisible())
                return;
            const ServerShape shape = ShapeOnServer(page.winId());
            if (!shape.viewable)
                return;
            samples.append(shape);
            const qreal ratio = page.devicePixelRatioF();
            const QRect blockOnServer(kBlock.topLeft() * ratio, kBlock.size() * ratio);
            if (shape.extents == blockOnServer)
                dialog.done(0);
        });
        sampler.start(0);
        QTimer::singleShot(kTimeoutMs, &dialog, [&] { dialog.done(-1); });
        dialog.move(0, 0);
        EXPECT_EQ(dialog.DoModal(), 0) << "the block's shape never reached the server";
        return samples;
    }

    TestHttpServer m_server;
};

TEST_F(LoginKeyShapeTest, TheShapeIsThePagesOwnAreaInWindowCoordinates)
{
    m_server.SetResponse(QStringLiteral("/look.css"), Look(0));
    CLoginBkDlg dialog(nullptr, {}, m_server.Url(QStringLiteral("/page")));
    RunUntilTheBlockShows(dialog);
    EXPECT_TRUE((dialog.LoginPage.mask() ^ QRegion(kBlock)).isEmpty());
}

TEST_F(LoginKeyShapeTest, NothingShowsWhileThePageHasNotPaintedItsFirstFrame)
{
    // The engine paints nothing of the page before its style sheet arrives.
    m_server.SetResponse(QStringLiteral("/look.css"), Look(1500));
    CLoginBkDlg dialog(nullptr, {}, m_server.Url(QStringLiteral("/page")));
    const QList<ServerShape> samples = RunUntilTheBlockShows(dialog);
    ASSERT_GE(samples.size(), 2) << "the window was never sampled while shown before the block's shape";
    const QSize onServer = dialog.LoginPage.size() * dialog.LoginPage.devicePixelRatioF();
    for (qsizetype i = 0; i + 1 < samples.size(); ++i) {
        EXPECT_FALSE(ShowsAnything(samples[i].extents, onServer))
            << "sample " << i << " of " << samples.size() << " showed " << samples[i].extents.width() << "x"
            << samples[i].extents.height() << "+" << samples[i].extents.x() << "+" << samples[i].extents.y();
    }
}

} // namespace
