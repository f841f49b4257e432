#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <optional>

#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QPainter>
#include <QProcess>
#include <QTimer>
#include <QWebEngineView>

#include "login/CLoginBkDlg.h"
#include "support/RealInput.h"
#include "support/TestHttpServer.h"
#include "support/Wait.h"

namespace {

constexpr int kTimeoutMs = 20000;
constexpr QRgb kKey = CLoginDlg::kColorKey;
// The page's one area that is not key colour, in window coordinates; its edges fall on
// whole device pixels at every scale the test runs at (1, 1.25, 1.5, 1.75, 2).
const QRect kBlock(12, 12, 100, 100);

const QByteArray kPage = R"(<!doctype html><html><head><link rel="stylesheet" href="/look.css"></head>
<body><div id="block"></div></body></html>)";
const QByteArray kLook = R"(body { margin: 0; background: #fefefe; }
#block { position: absolute; left: 12px; top: 12px; width: 100px; height: 100px; background: #204060; })";

// Blocks of content on the key colour. At fractional scales most of their edges fall
// between device pixels; the round one's edge pixels blend with the key colour.
constexpr int kRadius = 13;
struct Block {
    QRect rect;
    QRgb colour;
    bool round;
};
const Block kBlocks[] = {
    {{12, 12, 100, 100}, 0x204060, false},
    {{123, 17, 37, 29}, 0x802010, false},
    {{41, 131, 53, 7}, 0x106030, false},
    {{171, 61, 45, 45}, 0x303030, true},
};

QByteArray BlocksPage()
{
    QString page = QStringLiteral("<!doctype html><html><body style=\"margin: 0; background: #fefefe\">");
    for (const Block &block : kBlocks) {
        page += QStringLiteral("<div style=\"position: absolute; left: %1px; top: %2px; width: %3px; height: %4px; "
                               "background: #%5;%6\"></div>")
                    .arg(block.rect.x())
                    .arg(block.rect.y())
                    .arg(block.rect.width())
                    .arg(block.rect.height())
                    .arg(block.colour, 6, 16, QLatin1Char('0'))
                    .arg(block.round ? QStringLiteral(" border-radius: %1px").arg(kRadius) : QString());
    }
    return (page + QStringLiteral("</body></html>")).toUtf8();
}

// The style sheet, answered after `delayMs`.
TestHttpServer::Response Look(int delayMs)
{
    TestHttpServer::Response look;
    look.body = kLook;
    look.contentType = "text/css";
    look.delayMs = delayMs;
    return look;
}

template<typename Reply>
using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

xcb_connection_t *Connection()
{
    return qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
}

// Every rectangle of the window's bounding shape on the X server, in device pixels.
QRegion ShapeRectanglesOnServer(WId window)
{
    xcb_connection_t *connection = Connection();
    const ReplyPtr<xcb_shape_get_rectangles_reply_t> reply(
        xcb_shape_get_rectangles_reply(
            connection, xcb_shape_get_rectangles(connection, static_cast<xcb_window_t>(window), XCB_SHAPE_SK_BOUNDING),
            nullptr),
        &std::free);
    QRegion region;
    if (!reply)
        return region;
    const xcb_rectangle_t *rects = xcb_shape_get_rectangles_rectangles(reply.get());
    for (int i = 0; i < xcb_shape_get_rectangles_rectangles_length(reply.get()); ++i)
        region += QRect(rects[i].x, rects[i].y, rects[i].width, rects[i].height);
    return region;
}

// The login page window's state on the X server.
struct ServerShape {
    bool viewable{false};
    // The bounding box of the window's shape in device pixels, relative to the window.
    QRect extents;
};

ServerShape ShapeOnServer(WId window)
{
    xcb_connection_t *connection = Connection();
    const ReplyPtr<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(
            connection, xcb_get_window_attributes(connection, static_cast<xcb_window_t>(window)), nullptr),
        &std::free);
    return {attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE,
            ShapeRectanglesOnServer(window).boundingRect()};
}

// The window's area on the root window, in device pixels.
QRect DeviceRectOnScreen(WId window)
{
    xcb_connection_t *connection = Connection();
    const auto id = static_cast<xcb_window_t>(window);
    const ReplyPtr<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, id), nullptr), &std::free);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const ReplyPtr<xcb_translate_coordinates_reply_t> origin(
        xcb_translate_coordinates_reply(connection, xcb_translate_coordinates(connection, id, root, 0, 0), nullptr),
        &std::free);
    if (!geometry || !origin)
        return {};
    return {origin->dst_x, origin->dst_y, geometry->width, geometry->height};
}

// What the screen shows in `rect` (device pixels on the root window, within the screen).
QImage ScreenPixels(const QRect &rect)
{
    xcb_connection_t *connection = Connection();
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const ReplyPtr<xcb_get_image_reply_t> image(
        xcb_get_image_reply(connection,
                            xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, root, static_cast<int16_t>(rect.x()),
                                          static_cast<int16_t>(rect.y()), static_cast<uint16_t>(rect.width()),
                                          static_cast<uint16_t>(rect.height()), ~0U),
                            nullptr),
        &std::free);
    if (!image)
        return {};
    return QImage(xcb_get_image_data(image.get()), rect.width(), rect.height(), QImage::Format_RGB32).copy();
}

QRect ScreenRect()
{
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(Connection())).data;
    return {0, 0, screen->width_in_pixels, screen->height_in_pixels};
}

// Whether a shape with these extents shows any pixel of a window of `size`.
bool ShowsAnything(const QRect &extents, const QSize &size)
{
    return extents.intersects(QRect(QPoint(0, 0), size));
}

// Counts the device pixels of one kind of fault and keeps where the first one was.
struct FaultCount {
    const char *what;
    int count{0};
    QPoint first;

    void Add(QPoint at)
    {
        if (count++ == 0)
            first = at;
    }
};

std::ostream &operator<<(std::ostream &out, const FaultCount &fault)
{
    return out << fault.count << " " << fault.what << " (first at " << fault.first.x() << "," << fault.first.y() << ")";
}

// The device pixels, in window coordinates, that a block covers whole at `ratio`: what
// the screen must show in the block's colour however the engine rounds its edges.
QRect InnerDevicePixels(const QRect &logical, qreal ratio)
{
    const QPoint topLeft(qCeil(logical.x() * ratio), qCeil(logical.y() * ratio));
    const QPoint end(qFloor((logical.x() + logical.width()) * ratio), qFloor((logical.y() + logical.height()) * ratio));
    return {topLeft, end - QPoint(1, 1)};
}

// The counts of the page window's faults, device pixel by device pixel, comparing the
// page's rendering, the window's shape on the X server and what the screen shows. The
// rendering may be a device pixel taller or shorter than the window; it is compared where
// the screen shows it, found as the row offset under which the shown pixels match it.
// No faults: nothing of the key colour shows, every content pixel of the rendering lies
// in the shape and shows as rendered, every block shows whole.
class KeyFaults
{
public:
    explicit KeyFaults(CLoginDlg &page)
        : m_rendering(page.View()->grab().toImage().convertToFormat(QImage::Format_RGB32))
        , m_onScreen(DeviceRectOnScreen(page.winId()))
        , m_ratio(page.devicePixelRatioF())
    {
        m_shape = QImage(m_onScreen.size(), QImage::Format_Grayscale8);
        m_shape.fill(Qt::black);
        QPainter painter(&m_shape);
        for (const QRect &rect : ShapeRectanglesOnServer(page.winId()))
            painter.fillRect(rect, Qt::white);
        painter.end();
        const QRect visible = m_onScreen.intersected(ScreenRect());
        m_screen = ScreenPixels(visible);
        m_screenOffset = visible.topLeft() - m_onScreen.topLeft();
        int fewestChanged = -1;
        for (const int rowOffset : {0, -1, 1}) {
            Counts counts = Count(rowOffset);
            if (fewestChanged < 0 || counts.contentChanged.count < fewestChanged) {
                fewestChanged = counts.contentChanged.count;
                m_counts = counts;
                m_rowOffset = rowOffset;
            }
        }
    }

    bool None() const
    {
        return !m_rendering.isNull() && !m_screen.isNull() && m_counts.keyShown.count + m_counts.keyInShape.count +
                   m_counts.contentCut.count + m_counts.contentChanged.count + m_counts.blockMissing.count == 0;
    }

    friend std::ostream &operator<<(std::ostream &out, const KeyFaults &faults)
    {
        const Counts &counts = faults.m_counts;
        return out << "page window at " << faults.m_onScreen.x() << "," << faults.m_onScreen.y() << " ("
                   << faults.m_onScreen.width() << "x" << faults.m_onScreen.height() << " device pixels, rendering "
                   << faults.m_rendering.width() << "x" << faults.m_rendering.height() << " shown "
                   << faults.m_rowOffset << " rows down): " << counts.keyShown << ", " << counts.keyInShape << ", "
                   << counts.contentCut << ", " << counts.contentChanged << ", " << counts.blockMissing;
    }

private:
    struct Counts {
        FaultCount keyShown{"key-coloured pixels on screen", 0, {}};
        FaultCount keyInShape{"key pixels in the shape", 0, {}};
        FaultCount contentCut{"content pixels cut from the shape", 0, {}};
        FaultCount contentChanged{"content pixels shown otherwise than rendered", 0, {}};
        FaultCount blockMissing{"block pixels not shown", 0, {}};
    };

    // The faults when the rendering shows `rowOffset` rows lower in the window.
    Counts Count(int rowOffset) const
    {
        Counts counts;
        for (int y = 0; y < m_rendering.height(); ++y) {
            for (int x = 0; x < m_rendering.width(); ++x)
                CountPixel(QPoint(x, y), QPoint(x, y + rowOffset), counts);
        }
        for (const Block &block : kBlocks) {
            // Within the round corners' radius the block's edge curves away.
            const int inset = block.round ? qCeil(kRadius * m_ratio) : 1;
            const QRect inner = InnerDevicePixels(block.rect, m_ratio).adjusted(inset, inset, -inset, -inset);
            for (int y = inner.top(); y <= inner.bottom(); ++y) {
                for (int x = inner.left(); x <= inner.right(); ++x) {
                    if (Shown(QPoint(x, y)).value_or(block.colour) != block.colour)
                        counts.blockMissing.Add(QPoint(x, y));
                }
            }
        }
        return counts;
    }

    // Compares the rendering's pixel `at` with the window's pixel `in`.
    void CountPixel(QPoint at, QPoint in, Counts &counts) const
    {
        if (!m_shape.rect().contains(in))
            return;
        const QRgb rendered = m_rendering.pixel(at) & RGB_MASK;
        const bool inShape = qGray(m_shape.pixel(in)) != 0;
        const std::optional<QRgb> shown = Shown(in);
        if (shown == kKey)
            counts.keyShown.Add(in);
        if (rendered == kKey && inShape)
            counts.keyInShape.Add(in);
        if (rendered != kKey && !inShape)
            counts.contentCut.Add(in);
        if (rendered != kKey && shown && shown != rendered)
            counts.contentChanged.Add(in);
    }

    // The screen's pixel at `at` of the window; none where the window is off the screen.
    std::optional<QRgb> Shown(QPoint at) const
    {
        const QPoint onScreen = at - m_screenOffset;
        if (!m_screen.rect().contains(onScreen))
            return std::nullopt;
        return m_screen.pixel(onScreen) & RGB_MASK;
    }

    const QImage m_rendering;
    const QRect m_onScreen;
    const qreal m_ratio;
    QImage m_shape;
    QImage m_screen;
    QPoint m_screenOffset;
    Counts m_counts;
    int m_rowOffset{0};
};

// Starts openbox for the suite when no window manager runs on the display, and ends it
// afterwards: windows are placed, moved and dragged as on a desktop.
class WindowManager
{
public:
    WindowManager()
    {
        if (Running())
            return;
        m_openbox.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
        if (!TestWait::Until([] { return Running(); }))
            ADD_FAILURE() << "openbox did not start";
    }

    ~WindowManager()
    {
        if (m_openbox.state() == QProcess::NotRunning)
            return;
        m_openbox.terminate();
        m_openbox.waitForFinished();
    }

private:
    // A window manager names its check window on the root window.
    static bool Running()
    {
        QProcess xprop;
        xprop.start(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")});
        xprop.waitForFinished();
        return xprop.readAllStandardOutput().contains("window id #");
    }

    QProcess m_openbox;
};

// The login window over a page whose style sheet draws one block on key colour, under a
// window manager; the test runs the whole set-up under QT_SCALE_FACTOR 1, 1.25, 1.5, 1.75
// and 2.
class LoginKeyShapeTest : public testing::Test
{
protected:
    static void SetUpTestSuite() { s_windowManager = new WindowManager; }
    static void TearDownTestSuite() { delete s_windowManager; }

    void SetUp() override
    {
        m_server.SetPage(QStringLiteral("/page"), kPage);
        m_server.SetPage(QStringLiteral("/blocks"), BlocksPage());
    }

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
            // The window may show its rendering a device pixel higher than it was grabbed.
            const qreal ratio = page.devicePixelRatioF();
            const QRect blockOnServer(kBlock.topLeft() * ratio, kBlock.size() * ratio);
            if (shape.extents.size() == blockOnServer.size() &&
                (shape.extents.topLeft() - blockOnServer.topLeft()).manhattanLength() <= 1)
                dialog.done(0);
        });
        sampler.start(0);
        QTimer::singleShot(kTimeoutMs, &dialog, [&] { dialog.done(-1); });
        dialog.move(0, 0);
        EXPECT_EQ(dialog.DoModal(), 0) << "the block's shape never reached the server";
        return samples;
    }

    static WindowManager *s_windowManager;
    TestHttpServer m_server;
};

WindowManager *LoginKeyShapeTest::s_windowManager = nullptr;

// Moves `dialog` to `position` unless it is there: a window manager that has just started
// may place it anew. Answers whether it and its page are there and shown.
bool MovedTo(CLoginBkDlg &dialog, QPoint position)
{
    if (dialog.pos() != position)
        dialog.move(position);
    const CLoginDlg &page = dialog.LoginPage;
    return dialog.pos() == position && page.isVisible() && page.pos() == position + CLoginBkDlg::kPageRect.topLeft();
}

// Where the login window is placed, in device-independent pixels; at fractional scales
// most of these are not whole device pixels.
const QPoint kPositions[] = {{0, 0}, {1, 1}, {3, 2}, {57, 31}, {10, 7}};

TEST_F(LoginKeyShapeTest, EveryDevicePixelOfTheShapeFollowsThePageWhereverTheWindowIs)
{
    CLoginBkDlg dialog(nullptr, {}, m_server.Url(QStringLiteral("/blocks")));
    CLoginDlg &page = dialog.LoginPage;
    dialog.show();
    for (const QPoint &position : kPositions) {
        ASSERT_EVENTUALLY(MovedTo(dialog, position), kTimeoutMs)
            << ": login window at " << dialog.pos().x() << "," << dialog.pos().y() << ", page at " << page.pos().x()
            << "," << page.pos().y() << (page.isVisible() ? " shown" : " hidden");
        EXPECT_EVENTUALLY(KeyFaults(page).None(), kTimeoutMs)
            << "at " << position.x() << "," << position.y() << ": " << KeyFaults(page);
    }
    // Dragging the picture by device pixels puts the window where the window system has it.
    const QPoint grip = DeviceRectOnScreen(dialog.winId()).topLeft() + QPoint(300, 400);
    ASSERT_TRUE(RealInput::MoveTo(grip));
    ASSERT_TRUE(RealInput::Xdo({QStringLiteral("mousedown"), QStringLiteral("1")}, 500));
    for (int step = 1; step <= 4; ++step)
        ASSERT_TRUE(RealInput::MoveTo(grip + QPoint(9 * step, 7 * step)));
    ASSERT_TRUE(RealInput::Xdo({QStringLiteral("mouseup"), QStringLiteral("1")}));
    const QPoint dragged = DeviceRectOnScreen(dialog.winId()).topLeft();
    EXPECT_NE(dragged, grip - QPoint(300, 400)) << "the drag did not move the window";
    EXPECT_EVENTUALLY(KeyFaults(page).None(), kTimeoutMs)
        << "dragged to " << dragged.x() << "," << dragged.y() << ": " << KeyFaults(page);
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
