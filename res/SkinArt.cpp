// Draws every skin image of the launcher into a folder: fenlow-skin-art <folder>.
// Palette: deep teal with gold accents and parchment dialog faces. Transparent edges are
// drawn hard (alpha 0 or 255) because the skin loader turns partial alpha into colours
// composited over white.
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <cstdio>
#include <functional>

namespace {

const QColor kTealDark(0x08, 0x26, 0x2f);
const QColor kTeal(0x13, 0x4c, 0x5a);
const QColor kTealTop(0x1f, 0x64, 0x74);
const QColor kTealBody(0x0d, 0x33, 0x3d);
const QColor kGold(0xc9, 0xa2, 0x4a);
const QColor kGoldLight(0xf1, 0xd9, 0x95);
const QColor kGoldDark(0x86, 0x66, 0x24);
const QColor kParchment(0xf8, 0xf1, 0xdf);
const QColor kParchmentDeep(0xea, 0xdd, 0xbd);
const QColor kCrimson(0xb8, 0x32, 0x28);
const QColor kGlyph(0xee, 0xdc, 0xa4);
const QColor kGlyphDisabled(0x6f, 0x86, 0x8b);

QImage Canvas(int w, int h)
{
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

// Makes every pixel either fully opaque or fully transparent.
void Harden(QImage &image, int threshold = 110)
{
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int a = qAlpha(line[x]);
            if (a >= threshold)
                line[x] = qRgba(qRed(line[x]), qGreen(line[x]), qBlue(line[x]), 255);
            else
                line[x] = 0;
        }
    }
}

// Cuts rounded corners of radius r out of the top corners (and the bottom ones with `bottom`).
void RoundCorners(QImage &image, int r, bool bottom)
{
    const int w = image.width(), h = image.height();
    auto cut = [&](int cx, int cy, int x0, int y0) {
        for (int y = y0; y < y0 + r; ++y)
            for (int x = x0; x < x0 + r; ++x) {
                const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
                if (std::sqrt(dx * dx + dy * dy) > r)
                    image.setPixel(x, y, 0);
            }
    };
    cut(r, r, 0, 0);
    cut(w - r, r, w - r, 0);
    if (bottom) {
        cut(r, h - r, 0, h - r);
        cut(w - r, h - r, w - r, h - r);
    }
}

// Paints the pixels of the corner squares that border a cut-away pixel in `colour`, so
// the rounded outline keeps the window's dark edge.
void OutlineCorners(QImage &image, int size, const QColor &colour)
{
    const int w = image.width(), h = image.height();
    const QImage before = image;
    auto transparent = [&](int x, int y) {
        return x < 0 || y < 0 || x >= w || y >= h || qAlpha(before.pixel(x, y)) == 0;
    };
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const bool inCorner = (x < size || x >= w - size) && (y < size || y >= h - size);
            if (!inCorner || transparent(x, y))
                continue;
            if (transparent(x - 1, y) || transparent(x + 1, y) || transparent(x, y - 1) || transparent(x, y + 1))
                image.setPixel(x, y, colour.rgb());
        }
    }
}

QPainterPath RoundedPath(const QRectF &rect, double r, bool bottomRounded = true)
{
    QPainterPath path;
    if (bottomRounded) {
        path.addRoundedRect(rect, r, r);
        return path;
    }
    path.moveTo(rect.left(), rect.bottom());
    path.lineTo(rect.left(), rect.top() + r);
    path.quadTo(rect.left(), rect.top(), rect.left() + r, rect.top());
    path.lineTo(rect.right() - r, rect.top());
    path.quadTo(rect.right(), rect.top(), rect.right(), rect.top() + r);
    path.lineTo(rect.right(), rect.bottom());
    path.closeSubpath();
    return path;
}

QFont CjkFont(int pixelSize, bool bold)
{
    QFont font(QStringLiteral("WenQuanYi Micro Hei"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

// A window background for a nine-grid with a caption band of `caption` pixels and a
// border of 4: dark outline, gold hairline, teal caption, `body` below.
QImage DialogBackground(int w, int h, int caption, const QColor &bodyTop, const QColor &bodyBottom, bool lightBody)
{
    QImage image = Canvas(w, h);
    QPainter p(&image);
    p.fillRect(0, 0, w, h, kTealDark);
    QLinearGradient band(0, 0, 0, caption);
    band.setColorAt(0, kTealTop);
    band.setColorAt(1, kTeal);
    p.fillRect(1, 1, w - 2, caption - 1, band);
    p.fillRect(1, 1, w - 2, 1, kTealTop.lighter(130));
    // Side and bottom frame: teal with an inner gold line.
    p.fillRect(1, caption, w - 2, h - caption - 1, kTeal);
    QLinearGradient body(0, caption, 0, h - 4);
    body.setColorAt(0, bodyTop);
    body.setColorAt(1, bodyBottom);
    p.fillRect(4, caption, w - 8, h - caption - 4, body);
    p.setPen(kGold);
    p.drawLine(3, caption - 1, w - 4, caption - 1);
    p.drawLine(3, caption - 1, 3, h - 4);
    p.drawLine(w - 4, caption - 1, w - 4, h - 4);
    p.drawLine(3, h - 4, w - 4, h - 4);
    if (lightBody) {
        p.setPen(kGoldLight);
        p.drawLine(4, caption, w - 5, caption);
    }
    p.end();
    RoundCorners(image, 6, true);
    OutlineCorners(image, 9, kTealDark);
    return image;
}

using FramePainter = std::function<void(QPainter &, const QRect &, int frame)>;

QImage Strip(int frameW, int frameH, int frames, const FramePainter &paint, bool harden = true)
{
    QImage image = Canvas(frameW * frames, frameH);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < frames; ++i) {
        p.save();
        p.setClipRect(i * frameW, 0, frameW, frameH);
        paint(p, QRect(i * frameW, 0, frameW, frameH), i);
        p.restore();
    }
    p.end();
    if (harden)
        Harden(image);
    return image;
}

// The plate behind a caption or tool button in its hover and pressed frames.
void CaptionPlate(QPainter &p, const QRect &r, int frame, const QColor &hover, const QColor &pressed)
{
    if (frame != 1 && frame != 2)
        return;
    const QColor c = frame == 1 ? hover : pressed;
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, c.lighter(125));
    g.setColorAt(1, c);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(frame == 1 ? kGold : kGoldDark);
    p.setBrush(g);
    p.drawRect(r.adjusted(1, 1, -2, -2));
    p.restore();
}

QColor GlyphColor(int frame)
{
    return frame == 3 ? kGlyphDisabled : frame == 0 ? kGlyph : QColor(Qt::white);
}

QPen GlyphPen(int frame, double width = 2.0)
{
    QPen pen(GlyphColor(frame), width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
    return pen;
}

QImage CaptionButton(const std::function<void(QPainter &, const QPointF &centre, int frame)> &glyph, bool close)
{
    return Strip(29, 24, 4, [&](QPainter &p, const QRect &r, int frame) {
        CaptionPlate(p, r, frame, close ? kCrimson : QColor(0x2a, 0x7b, 0x8c), close ? kCrimson.darker(140) : kTeal.darker(120));
        const QPointF centre = QRectF(r).center() + (frame == 2 ? QPointF(1, 1) : QPointF(0, 0));
        glyph(p, centre, frame);
    });
}

void CloseGlyph(QPainter &p, const QPointF &c, int frame)
{
    p.setPen(GlyphPen(frame, 2.0));
    p.drawLine(c + QPointF(-4.5, -4.5), c + QPointF(4.5, 4.5));
    p.drawLine(c + QPointF(-4.5, 4.5), c + QPointF(4.5, -4.5));
}

void MinimizeGlyph(QPainter &p, const QPointF &c, int frame)
{
    p.setPen(GlyphPen(frame, 2.0));
    p.drawLine(c + QPointF(-5, 4), c + QPointF(5, 4));
}

void MaximizeGlyph(QPainter &p, const QPointF &c, int frame)
{
    p.setPen(GlyphPen(frame, 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(c + QPointF(-5, -4.5), QSizeF(10, 9)));
    p.drawLine(c + QPointF(-5, -3.5), c + QPointF(5, -3.5));
}

void RestoreGlyph(QPainter &p, const QPointF &c, int frame)
{
    p.setPen(GlyphPen(frame, 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({c + QPointF(-2.5, -3), c + QPointF(-2.5, -6), c + QPointF(6, -6), c + QPointF(6, 2),
                              c + QPointF(3, 2)}));
    p.drawRect(QRectF(c + QPointF(-6, -2.5), QSizeF(8.5, 8)));
}

void MenuGlyph(QPainter &p, const QPointF &c, int frame)
{
    p.setPen(GlyphPen(frame, 2.0));
    for (int i = -1; i <= 1; ++i)
        p.drawLine(c + QPointF(-6, 4.0 * i), c + QPointF(6, 4.0 * i));
}

void SpeakerGlyph(QPainter &p, const QPointF &c, int frame, bool muted)
{
    const QColor colour = GlyphColor(frame);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPolygon(QPolygonF({c + QPointF(-7, -2.5), c + QPointF(-4, -2.5), c + QPointF(0, -6.5), c + QPointF(0, 6.5),
                             c + QPointF(-4, 2.5), c + QPointF(-7, 2.5)}));
    p.setBrush(Qt::NoBrush);
    if (muted) {
        p.setPen(QPen(frame == 3 ? colour : QColor(0xe8, 0x5a, 0x4a), 2.0, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(c + QPointF(3, -3.5), c + QPointF(9, 3.5));
        p.drawLine(c + QPointF(3, 3.5), c + QPointF(9, -3.5));
        return;
    }
    p.setPen(QPen(colour, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(c + QPointF(-3, -4), QSizeF(8, 8)), -50 * 16, 100 * 16);
    p.drawArc(QRectF(c + QPointF(-5, -7.5), QSizeF(15, 15)), -50 * 16, 100 * 16);
}

QImage ToolButton(int w, int h, const std::function<void(QPainter &, const QPointF &, int)> &glyph)
{
    return Strip(w, h, 4, [&](QPainter &p, const QRect &r, int frame) {
        CaptionPlate(p, r.adjusted(0, 2, 0, -1), frame, QColor(0x2a, 0x7b, 0x8c), kTeal.darker(120));
        const QPointF centre = QRectF(r).center() + QPointF(0, 0.5) + (frame == 2 ? QPointF(1, 1) : QPointF(0, 0));
        if (glyph)
            glyph(p, centre, frame);
    });
}

// The text buttons of the caption bar: a faint plate always, brighter on hover.
QImage TextToolButton()
{
    return Strip(44, 28, 4, [](QPainter &p, const QRect &r, int frame) {
        const QRect plate = r.adjusted(2, 4, -2, -3);
        p.save();
        p.setRenderHint(QPainter::Antialiasing, false);
        QLinearGradient g(plate.topLeft(), plate.bottomLeft());
        const QColor base = frame == 1 ? QColor(0x2b, 0x80, 0x91) : frame == 2 ? QColor(0x0e, 0x3a, 0x45)
                          : frame == 3 ? QColor(0x2c, 0x45, 0x4b) : QColor(0x1a, 0x5b, 0x6a);
        g.setColorAt(0, frame == 2 ? base : base.lighter(118));
        g.setColorAt(1, frame == 2 ? base.lighter(115) : base);
        p.setBrush(g);
        p.setPen(frame == 1 ? kGold : frame == 3 ? QColor(0x4a, 0x5d, 0x61) : kGoldDark);
        p.drawRect(plate.adjusted(0, 0, -1, -1));
        p.setPen(frame == 1 ? kGoldLight.lighter(105) : QColor(0x3f, 0x86, 0x94));
        if (frame != 2 && frame != 3)
            p.drawLine(plate.left() + 1, plate.top() + 1, plate.right() - 1, plate.top() + 1);
        p.restore();
    });
}

QImage TabItems()
{
    return Strip(186, 26, 3, [](QPainter &p, const QRect &r, int frame) {
        const QRectF shape = QRectF(r).adjusted(0.5, 0.5, -0.5, 0.5);
        QLinearGradient g(r.topLeft(), r.bottomLeft());
        if (frame == 2) {
            g.setColorAt(0, QColor(0xfd, 0xf7, 0xe6));
            g.setColorAt(1, kParchmentDeep);
        } else if (frame == 1) {
            g.setColorAt(0, QColor(0xdc, 0xeb, 0xe8));
            g.setColorAt(1, QColor(0xb1, 0xcc, 0xca));
        } else {
            g.setColorAt(0, QColor(0xb6, 0xcb, 0xca));
            g.setColorAt(1, QColor(0x8c, 0xaa, 0xab));
        }
        p.setPen(QPen(frame == 2 ? kGold : frame == 1 ? kGold.darker(110) : QColor(0x4f, 0x75, 0x7b), 1.0));
        p.setBrush(g);
        p.drawPath(RoundedPath(shape, 5, false));
        if (frame == 2) {
            p.setPen(QPen(kGoldLight, 1.0));
            p.drawLine(QPointF(r.left() + 5, r.top() + 1.5), QPointF(r.right() - 4, r.top() + 1.5));
        }
        // A small diamond before the text.
        const QPointF d(r.left() + 9, r.top() + 14);
        p.setPen(Qt::NoPen);
        p.setBrush(frame == 2 ? kCrimson : frame == 1 ? kGold.darker(115) : QColor(0x4f, 0x75, 0x7b));
        p.drawPolygon(QPolygonF({d + QPointF(0, -3.5), d + QPointF(3.5, 0), d + QPointF(0, 3.5), d + QPointF(-3.5, 0)}));
    });
}

QImage TabClose()
{
    return Strip(13, 13, 3, [](QPainter &p, const QRect &r, int frame) {
        const QPointF c = QRectF(r).center();
        if (frame > 0) {
            p.setPen(Qt::NoPen);
            p.setBrush(frame == 1 ? kCrimson : kCrimson.darker(140));
            p.drawEllipse(c, 6.0, 6.0);
        }
        p.setPen(QPen(frame == 0 ? QColor(0x5a, 0x55, 0x4a) : QColor(Qt::white), 1.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(c + QPointF(-2.6, -2.6), c + QPointF(2.6, 2.6));
        p.drawLine(c + QPointF(-2.6, 2.6), c + QPointF(2.6, -2.6));
    });
}

QImage DialogButton()
{
    return Strip(74, 26, 4, [](QPainter &p, const QRect &r, int frame) {
        const QRect plate = r.adjusted(0, 0, -1, -1);
        QLinearGradient g(plate.topLeft(), plate.bottomLeft());
        QColor border = kGoldDark;
        switch (frame) {
        case 0: g.setColorAt(0, QColor(0xf9, 0xea, 0xbf)); g.setColorAt(1, QColor(0xe0, 0xbe, 0x6e)); break;
        case 1: g.setColorAt(0, QColor(0xff, 0xf5, 0xd6)); g.setColorAt(1, QColor(0xee, 0xcf, 0x83)); border = kGold.darker(105); break;
        case 2: g.setColorAt(0, QColor(0xd4, 0xb0, 0x5c)); g.setColorAt(1, QColor(0xef, 0xd6, 0x98)); border = kGoldDark.darker(120); break;
        default: g.setColorAt(0, QColor(0xe9, 0xe6, 0xdf)); g.setColorAt(1, QColor(0xd2, 0xcd, 0xc2)); border = QColor(0xa9, 0xa3, 0x97); break;
        }
        p.setPen(QPen(border, 1.0));
        p.setBrush(g);
        p.drawRoundedRect(QRectF(plate).adjusted(0.5, 0.5, 0.5, 0.5), 4, 4);
        if (frame == 0 || frame == 1) {
            p.setPen(QPen(QColor(255, 255, 255, 170), 1.0));
            p.drawLine(QPointF(plate.left() + 4, plate.top() + 1.5), QPointF(plate.right() - 3, plate.top() + 1.5));
        }
    });
}

QImage ProgressBackground()
{
    QImage image = Canvas(324, 20);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, 20);
    g.setColorAt(0, QColor(0x06, 0x1d, 0x24));
    g.setColorAt(1, QColor(0x15, 0x44, 0x50));
    p.setPen(QPen(kGold, 1.0));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(0.5, 0.5, 323, 19), 9.5, 9.5);
    p.end();
    Harden(image);
    return image;
}

QImage ProgressFill()
{
    QImage image = Canvas(316, 12);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, 12);
    g.setColorAt(0, QColor(0xff, 0xee, 0xb4));
    g.setColorAt(0.45, kGold);
    g.setColorAt(1, QColor(0xa7, 0x7a, 0x26));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(QRectF(0, 0, 316, 12), 6, 6);
    p.setPen(QPen(QColor(255, 255, 255, 150), 1.0));
    p.drawLine(QPointF(6, 2.5), QPointF(310, 2.5));
    p.end();
    Harden(image);
    return image;
}

QImage AppIconImage(int size)
{
    QImage image = Canvas(size, size);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const double s = size / 64.0;
    const QRectF tile(2 * s, 2 * s, 60 * s, 60 * s);
    QRadialGradient g(tile.center() - QPointF(8 * s, 10 * s), 44 * s);
    g.setColorAt(0, kTealTop.lighter(135));
    g.setColorAt(1, kTealDark);
    p.setPen(QPen(kGold, 2.5 * s));
    p.setBrush(g);
    p.drawRoundedRect(tile, 12 * s, 12 * s);
    p.setPen(QPen(kGoldLight, 1.2 * s));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(tile.adjusted(4 * s, 4 * s, -4 * s, -4 * s), 9 * s, 9 * s);
    p.setFont(CjkFont(int(34 * s), true));
    p.setPen(QColor(0, 0, 0, 120));
    p.drawText(tile.translated(1.5 * s, 2 * s), Qt::AlignCenter, QStringLiteral("岚"));
    p.setPen(kGoldLight);
    p.drawText(tile, Qt::AlignCenter, QStringLiteral("岚"));
    return image;
}

bool Save(const QImage &image, const QDir &dir, int id)
{
    const QString path = dir.filePath(QStringLiteral("%1.png").arg(id));
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: fenlow-skin-art <folder>\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!dir.exists() && !QDir().mkpath(dir.path()))
        return 1;

    bool ok = true;
    ok &= Save(AppIconImage(64), dir, 128);
    ok &= Save(DialogBackground(240, 160, 30, kTealBody, kTealDark, false), dir, 131);
    ok &= Save(CaptionButton(CloseGlyph, true), dir, 132);
    ok &= Save(CaptionButton(MaximizeGlyph, false), dir, 133);
    ok &= Save(CaptionButton(MinimizeGlyph, false), dir, 134);
    ok &= Save(CaptionButton(RestoreGlyph, false), dir, 135);
    ok &= Save(ToolButton(27, 28, MenuGlyph), dir, 137);
    ok &= Save(TextToolButton(), dir, 138);
    ok &= Save(TabItems(), dir, 142);
    ok &= Save(TabClose(), dir, 143);
    ok &= Save(ToolButton(27, 28, [](QPainter &p, const QPointF &c, int f) { SpeakerGlyph(p, c, f, false); }), dir, 156);
    ok &= Save(ToolButton(27, 28, [](QPainter &p, const QPointF &c, int f) { SpeakerGlyph(p, c, f, true); }), dir, 157);
    ok &= Save(ProgressFill(), dir, 161);
    ok &= Save(ProgressBackground(), dir, 162);
    ok &= Save(DialogBackground(200, 140, 30, kParchment, kParchmentDeep, true), dir, 164);
    ok &= Save(DialogButton(), dir, 165);
    return ok ? 0 : 1;
}
