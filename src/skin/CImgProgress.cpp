#include "CImgProgress.h"

#include <QPainter>

#include "skin/ProgressGeometry.h"
#include "skin/SkinBackground.h"
#include "skin/SkinImage.h"

CImgProgress::CImgProgress(QWidget *parent)
    : QProgressBar(parent)
{
    KeepMouseInControl(this);
    setRange(0, 100);
    setValue(0);
    setTextVisible(false);
}

bool CImgProgress::SetImages(const QImage &background, const QImage &fill)
{
    m_hbmBack = background;
    m_hbmFill = fill;
    m_backImage = KeyedToTransparent(background);
    m_fillImage = KeyedToTransparent(fill);
    resize(background.size());
    m_rcBar = QRect(QPoint(0, 0), background.size());
    m_rcFill = CentredFillRect(m_rcBar.size(), fill.size());
    update();
    return true;
}

QString CImgProgress::PercentText() const
{
    return ProgressPercentText(minimum(), maximum(), std::max(value(), minimum()));
}

void CImgProgress::paintEvent(QPaintEvent *)
{
    const QSize barSize = m_rcBar.isEmpty() ? size() : m_rcBar.size();
    QImage offscreen(barSize, QImage::Format_ARGB32_Premultiplied);
    offscreen.fill(Qt::transparent);
    {
        QPainter p(&offscreen);
        PaintParentBackground(this, p);
        if (!m_backImage.isNull())
            p.drawImage(0, 0, m_backImage);
        if (!m_fillImage.isNull()) {
            const int fw = m_rcFill.width(), fh = m_rcFill.height();
            const ProgressFill f = ProgressFillFor(fw, minimum(), maximum(), std::max(value(), minimum()));
            const int rest = f.filled - f.half;
            // An empty source rectangle would mean the whole image to QPainter.
            if (f.half > 0)
                p.drawImage(m_rcFill.topLeft(), m_fillImage, QRect(0, 0, f.half, fh));
            if (rest > 0)
                p.drawImage(m_rcFill.topLeft() + QPoint(f.half, 0), m_fillImage, QRect(fw - rest, 0, rest, fh));
        }
        if (m_bShowPercent) {
            p.setFont(font());
            p.setPen(m_crPercent.isValid() ? m_crPercent : QColor(Qt::black));
            p.drawText(QRect(QPoint(0, 0), barSize), Qt::AlignCenter | Qt::TextSingleLine, PercentText());
        }
    }
    QPainter(this).drawImage(0, 0, offscreen);
}
