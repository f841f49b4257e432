#include "SkinImage.h"

#include <QFile>
#include <QPainter>

// The skin resources live in a static library; naming their initialiser keeps them linked.
static void InitSkinResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(fenlow);
        return true;
    }();
    (void)done;
}

namespace {

int CompositeOverWhite(int alpha, int channel)
{
    return (65025 + alpha * (channel - 255)) / 255;
}

} // namespace

QImage ToKeyedBitmap(const QImage &decoded, QRgb key)
{
    if (decoded.isNull() || decoded.width() == 0)
        return {};
    const QImage source = decoded.convertToFormat(QImage::Format_ARGB32);
    QImage keyed(source.size(), QImage::Format_RGB32);
    if (keyed.isNull())
        return {};
    for (int y = 0; y < source.height(); ++y) {
        const auto *in = reinterpret_cast<const QRgb *>(source.constScanLine(y));
        auto *out = reinterpret_cast<QRgb *>(keyed.scanLine(y));
        for (int x = 0; x < source.width(); ++x) {
            const QRgb p = in[x];
            const int a = qAlpha(p);
            if (a == 255)
                out[x] = qRgb(qRed(p), qGreen(p), qBlue(p));
            else if (a == 0)
                out[x] = key | 0xff000000;
            else
                out[x] = qRgb(CompositeOverWhite(a, qRed(p)), CompositeOverWhite(a, qGreen(p)),
                              CompositeOverWhite(a, qBlue(p)));
        }
    }
    return keyed;
}

QString SkinResourcePath(int id)
{
    InitSkinResources();
    return QStringLiteral(":/skin/%1.png").arg(id);
}

QImage LoadSkinImage(int id)
{
    InitSkinResources();
    const QString bitmap = QStringLiteral(":/skin/%1.bmp").arg(id);
    if (QFile::exists(bitmap))
        return QImage(bitmap, "BMP");
    const QString png = SkinResourcePath(id);
    if (!QFile::exists(png))
        return {};
    const QImage decoded(png, "PNG");
    if (decoded.isNull())
        return {};
    QImage keyed = ToKeyedBitmap(decoded, KeyColor);
    if (keyed.isNull()) {
        // Composite over the key colour instead, as an opaque magenta background does.
        keyed = QImage(decoded.size(), QImage::Format_RGB32);
        keyed.fill(QColor::fromRgb(KeyColor));
        QPainter painter(&keyed);
        painter.drawImage(0, 0, decoded);
    }
    return keyed;
}

QImage KeyedToTransparent(const QImage &keyed)
{
    if (keyed.isNull())
        return {};
    QImage out = keyed.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = KeyColor | 0xff000000;
    for (int y = 0; y < out.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            if ((line[x] | 0xff000000) == key)
                line[x] = 0;
        }
    }
    return out;
}

QIcon AppIcon()
{
    return QIcon(SkinResourcePath(SkinId::AppIcon));
}
