// Cost of the colour-key shape of the login page window: the region of a page rendering
// without its key-colour pixels, computed every time the page window checks its shape.
#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include "login/PixelRegion.h"

namespace {

constexpr QRgb kKey = 0xFEFEFE;
constexpr QSize kPageSize{620, 375};

// A login page rendering: key colour all round a rounded, anti-aliased panel.
QImage PanelPage()
{
    QImage image(kPageSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor::fromRgb(kKey));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath panel;
    panel.addRoundedRect(QRectF(84, 29, 452, 318), 12, 12);
    painter.fillPath(panel, QColor(14, 30, 48));
    return image;
}

// The worst case: key and page pixels alternate, one run per two pixels.
QImage AlternatingPage()
{
    QImage image(kPageSize, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] = ((x + y) % 2) ? (kKey | 0xFF000000) : 0xFF102030;
    }
    return image;
}

void BM_RegionOfPanelPage(benchmark::State &state)
{
    const QImage page = PanelPage();
    for (auto _ : state)
        benchmark::DoNotOptimize(RegionWithoutKey(page, kKey));
}
BENCHMARK(BM_RegionOfPanelPage)->Unit(benchmark::kMicrosecond);

void BM_RegionOfAlternatingPage(benchmark::State &state)
{
    const QImage page = AlternatingPage();
    for (auto _ : state)
        benchmark::DoNotOptimize(RegionWithoutKey(page, kKey));
}
BENCHMARK(BM_RegionOfAlternatingPage)->Unit(benchmark::kMicrosecond);

// Comparing a new rendering with the last one, the check that lets an unchanged page
// skip the region.
void BM_CompareRenderings(benchmark::State &state)
{
    const QImage page = PanelPage();
    const QImage copy = page.copy();
    for (auto _ : state)
        benchmark::DoNotOptimize(page == copy);
}
BENCHMARK(BM_CompareRenderings)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
