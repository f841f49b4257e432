// Draws the login window's picture (resource 141): fenlow-login-art <folder>. A night
// landscape of misty mountains under a large moon, the game's title in gold on the left,
// and a gold-framed panel on the right where the login page lies (336, 133, 620 x 375);
// the page's colour-keyed areas show the veiled landscape inside that frame.
// The picture keeps per-pixel alpha: a soft shadow around the rounded body, and a
// translucent crescent of cloud rising over the top-left edge.
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRandomGenerator>

#include <cmath>
#include <cstdio>

namespace {

constexpr int kWidth = 1045;
constexpr int kHeight = 646;
const QRectF kBody(18, 34, 1009, 594);
const QRectF kPage(336, 133, 620, 375);

const QColor kNight(0x08, 0x1c, 0x2c);
const QColor kTeal(0x13, 0x4c, 0x5a);
const QColor kGold(0xc9, 0xa2, 0x4a);
const QColor kGoldLight(0xf1, 0xd9, 0x95);
const QColor kGoldDark(0x86, 0x66, 0x24);

QFont CjkFont(int pixelSize, bool bold)
{
    QFont font(QStringLiteral("WenQuanYi Micro Hei"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

void Shadow(QPainter &p)
{
    for (int i = 14; i > 0; --i) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 10));
        p.drawRoundedRect(kBody.adjusted(-i, -i + 4, i, i + 4), 22 + i, 22 + i);
    }
}

void Sky(QPainter &p, const QPainterPath &body)
{
    QLinearGradient sky(0, kBody.top(), 0, kBody.bottom());
    sky.setColorAt(0, QColor(0x0b, 0x2a, 0x3f));
    sky.setColorAt(0.55, QColor(0x1a, 0x52, 0x62));
    sky.setColorAt(1, kNight);
    p.fillPath(body, sky);

    QRandomGenerator stars(141);
    for (int i = 0; i < 140; ++i) {
        const QPointF at(kBody.left() + stars.bounded(1000), kBody.top() + stars.bounded(260));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 248, 220, 60 + stars.bounded(150)));
        const double r = 0.6 + stars.bounded(10) / 10.0;
        p.drawEllipse(at, r, r);
    }

    const QPointF moon(104, 150);
    QRadialGradient halo(moon, 190);
    halo.setColorAt(0, QColor(255, 244, 210, 120));
    halo.setColorAt(1, QColor(255, 244, 210, 0));
    p.setBrush(halo);
    p.drawEllipse(moon, 170, 170);
    QRadialGradient disc(moon - QPointF(18, 18), 80);
    disc.setColorAt(0, QColor(0xff, 0xf9, 0xe6));
    disc.setColorAt(1, QColor(0xf0, 0xdc, 0xa8));
    p.setBrush(disc);
    p.drawEllipse(moon, 54, 54);
}

QPainterPath Ridge(double base, double amplitude, double wave, double phase)
{
    QPainterPath path(QPointF(kBody.left(), kBody.bottom()));
    for (double x = kBody.left(); x <= kBody.right(); x += 4) {
        const double y = base - amplitude * (0.6 * std::sin(x / wave + phase) + 0.3 * std::sin(x / (wave * 0.37) + phase * 2)
                                             + 0.1 * std::sin(x / (wave * 0.11)));
        path.lineTo(x, y);
    }
    path.lineTo(kBody.right(), kBody.bottom());
    path.closeSubpath();
    return path;
}

void Mountains(QPainter &p)
{
    const struct {
        double base, amplitude, wave, phase;
        QColor top, bottom;
    } ridges[] = {
        {380, 90, 120, 0.4, QColor(0x2b, 0x6c, 0x7a), QColor(0x17, 0x44, 0x52)},
        {450, 80, 95, 2.1, QColor(0x1d, 0x55, 0x63), QColor(0x10, 0x35, 0x42)},
        {530, 60, 70, 4.0, QColor(0x12, 0x3c, 0x49), QColor(0x0a, 0x24, 0x30)},
    };
    for (const auto &r : ridges) {
        QLinearGradient fill(0, r.base - r.amplitude, 0, kBody.bottom());
        fill.setColorAt(0, r.top);
        fill.setColorAt(1, r.bottom);
        p.fillPath(Ridge(r.base, r.amplitude, r.wave, r.phase), fill);
        QLinearGradient mist(0, r.base - 10, 0, r.base + 50);
        mist.setColorAt(0, QColor(220, 240, 240, 0));
        mist.setColorAt(0.5, QColor(220, 240, 240, 46));
        mist.setColorAt(1, QColor(220, 240, 240, 0));
        p.fillRect(QRectF(kBody.left(), r.base - 10, kBody.width(), 60), mist);
    }
}

void CloudCrescent(QPainter &p)
{
    // A wisp of cloud leaving the window's outline at the top left, translucent but opaque
    // enough to keep its shape where no compositing manager blends it.
    QPainterPath cloud;
    cloud.moveTo(40, 70);
    cloud.cubicTo(60, 8, 170, 0, 230, 26);
    cloud.cubicTo(260, 6, 320, 4, 352, 30);
    cloud.cubicTo(300, 26, 270, 40, 250, 58);
    cloud.cubicTo(190, 30, 110, 36, 40, 70);
    QLinearGradient fill(40, 0, 352, 0);
    fill.setColorAt(0, QColor(241, 217, 149, 150));
    fill.setColorAt(0.5, QColor(255, 246, 220, 210));
    fill.setColorAt(1, QColor(241, 217, 149, 140));
    p.setPen(QPen(QColor(201, 162, 74, 180), 1.5));
    p.setBrush(fill);
    p.drawPath(cloud);
}

void Title(QPainter &p)
{
    const QString title = QStringLiteral("岚汐翼川记");
    p.setFont(CjkFont(58, true));
    for (int i = 0; i < title.size(); ++i) {
        const QRectF cell(176, 250 + i * 62 - 60, 120, 66);
        p.setPen(QColor(0, 0, 0, 140));
        p.drawText(cell.translated(3, 3), Qt::AlignCenter, title.mid(i, 1));
        QLinearGradient gold(0, cell.top(), 0, cell.bottom());
        gold.setColorAt(0, kGoldLight);
        gold.setColorAt(1, kGold);
        p.setPen(QPen(QBrush(gold), 1));
        p.drawText(cell, Qt::AlignCenter, title.mid(i, 1));
    }
    // The seal beside the title.
    const QRectF seal(126, 452, 46, 46);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xb8, 0x32, 0x28));
    p.drawRoundedRect(seal, 6, 6);
    p.setFont(CjkFont(18, true));
    p.setPen(QColor(0xfb, 0xe9, 0xd0));
    p.drawText(seal.adjusted(0, 0, 0, -22), Qt::AlignCenter, QStringLiteral("极速"));
    p.drawText(seal.adjusted(0, 22, 0, 0), Qt::AlignCenter, QStringLiteral("登录"));
    p.setFont(CjkFont(15, false));
    p.setPen(QColor(0xea, 0xdd, 0xbd));
    p.drawText(QRectF(60, 540, 260, 24), Qt::AlignCenter, QStringLiteral("岚 汐 · 东 方 幻 想 网 页 游 戏"));
}

void PageFrame(QPainter &p)
{
    const QRectF outer = kPage.adjusted(-12, -12, 12, 12);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 90));
    p.drawRoundedRect(outer.translated(0, 5), 12, 12);
    QLinearGradient rim(0, outer.top(), 0, outer.bottom());
    rim.setColorAt(0, kGoldLight);
    rim.setColorAt(0.5, kGold);
    rim.setColorAt(1, kGoldDark);
    p.setBrush(rim);
    p.drawRoundedRect(outer, 12, 12);
    p.setBrush(QColor(0x0d, 0x33, 0x3d));
    p.drawRoundedRect(outer.adjusted(4, 4, -4, -4), 9, 9);
    // The page's colour-keyed areas show this: the landscape behind a veil of night.
    p.save();
    p.setClipRect(kPage);
    QPainterPath body;
    body.addRoundedRect(kBody, 22, 22);
    Sky(p, body);
    Mountains(p);
    p.fillRect(kPage, QColor(8, 28, 44, 150));
    p.restore();
    // Corner knots.
    for (const QPointF &c : {outer.topLeft(), outer.topRight(), outer.bottomLeft(), outer.bottomRight()}) {
        p.setBrush(kGoldLight);
        p.setPen(QPen(kGoldDark, 1.5));
        p.drawEllipse(c, 7, 7);
    }
    // A plaque above the frame.
    const QRectF plaque(kPage.center().x() - 90, 84, 180, 34);
    p.setPen(QPen(kGoldLight, 1.5));
    p.setBrush(QColor(0x13, 0x4c, 0x5a));
    p.drawRoundedRect(plaque, 16, 16);
    p.setFont(CjkFont(18, true));
    p.setPen(kGoldLight);
    p.drawText(plaque, Qt::AlignCenter, QStringLiteral("账 号 登 录"));
}

void Border(QPainter &p)
{
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kGold, 2.5));
    p.drawRoundedRect(kBody.adjusted(1, 1, -1, -1), 22, 22);
    p.setPen(QPen(QColor(241, 217, 149, 90), 1));
    p.drawRoundedRect(kBody.adjusted(7, 7, -7, -7), 17, 17);
}

void Notice(QPainter &p)
{
    p.setFont(CjkFont(12, false));
    p.setPen(QColor(0xc8, 0xd8, 0xd6));
    p.drawText(QRectF(kBody.left(), 576, kBody.width(), 40), Qt::AlignCenter,
               QStringLiteral("抵制不良游戏，拒绝盗版游戏。注意自我保护，谨防受骗上当。\n"
                              "适度游戏益脑，沉迷游戏伤身。合理安排时间，享受健康生活。"));
}

QImage LoginPicture()
{
    QImage image(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    Shadow(p);
    QPainterPath body;
    body.addRoundedRect(kBody, 22, 22);
    p.save();
    p.setClipPath(body);
    Sky(p, body);
    Mountains(p);
    p.restore();
    Border(p);
    CloudCrescent(p);
    Title(p);
    PageFrame(p);
    Notice(p);
    p.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: fenlow-login-art <folder>\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    const QString path = dir.filePath(QStringLiteral("141.png"));
    if (!LoginPicture().save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return 1;
    }
    return 0;
}
