#include "CStaticEx.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

#include "skin/SkinBackground.h"
#include "skin/SkinGeometry.h"
#include "skin/SkinImage.h"
#include "skin/SkinText.h"

namespace {

constexpr int kHoverDelayMs = 10;
constexpr int kImageMargin = 3;
constexpr int kTextAfterImage = 6;

} // namespace

CStaticEx::CStaticEx(QWidget *parent)
    : CStaticEx(QString(), parent)
{
}

CStaticEx::CStaticEx(const QString &text, QWidget *parent)
    : QLabel(text, parent)
    , m_strText(text)
{
    setMouseTracking(true);
    KeepMouseInControl(this);
    m_hoverTimer.setSingleShot(true);
    m_hoverTimer.setInterval(kHoverDelayMs);
    connect(&m_hoverTimer, &QTimer::timeout, this, [this] {
        m_bHover = true;
        update();
    });
}

void CStaticEx::SetText(const QString &text)
{
    m_strText = text;
    setText(text);
    update();
}

void CStaticEx::SetImageList(const QImage &strip, int frameWidth)
{
    m_imgList.clear();
    if (strip.isNull() || frameWidth <= 0)
        return;
    const QImage transparent = KeyedToTransparent(strip);
    for (int x = 0; x + frameWidth <= strip.width(); x += frameWidth)
        m_imgList << transparent.copy(x, 0, frameWidth, strip.height());
    m_nImageWidth = frameWidth;
    m_nImageHeight = strip.height();
    update();
}

QFont CStaticEx::TextFont()
{
    if (!m_fontBuilt) {
        m_font = font();
        if (m_nFontHeight < 0) {
            // A negative height is the characters' own height.
            m_font.setPixelSize(-m_nFontHeight);
        } else if (m_nFontHeight > 0) {
            // A positive height is the cell's (the line's ascent plus descent): the
            // largest pixel size whose line fits it.
            int pixels = m_nFontHeight;
            m_font.setPixelSize(pixels);
            while (pixels > 1 && QFontMetrics(m_font).height() > m_nFontHeight)
                m_font.setPixelSize(--pixels);
        }
        if (m_nFontWeight != -1)
            m_font.setWeight(QFont::Weight(std::clamp(m_nFontWeight / 10 * 10, 100, 900) / 100 * 100));
        if (m_nFontWidth != 0) {
            // A forced average width becomes a horizontal stretch of the font.
            const int natural = QFontMetrics(m_font).averageCharWidth();
            if (natural > 0)
                m_font.setStretch(std::clamp(100 * m_nFontWidth / natural, 1, 4000));
        }
        if (m_nUnderline != 0)
            m_font.setUnderline(true);
        m_fontBuilt = true;
    }
    return m_font;
}

QRect CStaticEx::textRect() const
{
    QRect r = rect();
    if (m_nImageWidth != 0)
        r.setLeft(r.left() + m_nImageWidth + kTextAfterImage);
    return r;
}

QStringList CStaticEx::TextLines()
{
    const QFontMetrics metrics(TextFont());
    const int charWidth = metrics.horizontalAdvance(CharWidthSample()) / kCharWidthSampleCount;
    return WrapTextLines(m_strText, textRect().width(), charWidth,
                         [&metrics](const QString &s) { return metrics.horizontalAdvance(s); });
}

void CStaticEx::DrawText(QPainter &painter)
{
    const QFont textFont = TextFont();
    const QFontMetrics metrics(textFont);
    painter.setFont(textFont);
    painter.setPen(m_bHoverColor && m_bHover ? m_crHover : m_crNormal);

    unsigned format = TextFormat::WordBreak;
    if (alignment() & Qt::AlignHCenter)
        format |= TextFormat::Center | TextFormat::VCenter;
    else if (alignment() & Qt::AlignRight)
        format |= TextFormat::Right;
    const int flags = TextFormatToQtFlags(format | TextFormat::SingleLine);

    const int lineHeight = metrics.height();
    QRect line = textRect();
    line.setHeight(lineHeight);
    for (const QString &text : TextLines()) {
        painter.drawText(line, flags, text);
        line.translate(0, lineHeight + m_nLineGap);
    }
}

void CStaticEx::paintEvent(QPaintEvent *)
{
    QImage offscreen(size(), QImage::Format_ARGB32_Premultiplied);
    offscreen.fill(Qt::transparent);
    {
        QPainter p(&offscreen);
        PaintParentBackground(this, p);
        const int x = m_bImageRight ? width() - m_nImageWidth - kImageMargin : kImageMargin;
        const int y = (height() - m_nImageHeight) / 2;
        if (!m_imgList.isEmpty()) {
            if (m_nImageIndex >= 0 && m_nImageIndex < m_imgList.size())
                p.drawImage(x, y, m_imgList.at(m_nImageIndex));
        } else if (!m_hIcon.isNull()) {
            m_hIcon.paint(&p, QRect(x, y, kSmallIconSize, kSmallIconSize));
        }
        DrawText(p);
    }
    QPainter(this).drawImage(0, 0, offscreen);
}

void CStaticEx::trackMouse()
{
    setCursor(m_bLink ? Qt::PointingHandCursor : Qt::ArrowCursor);
    if (m_bTracking)
        return;
    m_bTracking = true;
    m_hoverTimer.start();
}

void CStaticEx::enterEvent(QEnterEvent *event)
{
    trackMouse();
    QLabel::enterEvent(event);
}

void CStaticEx::mouseMoveEvent(QMouseEvent *event)
{
    trackMouse();
    QLabel::mouseMoveEvent(event);
}

void CStaticEx::leaveEvent(QEvent *event)
{
    m_hoverTimer.stop();
    m_bHover = false;
    m_bTracking = false;
    update();
    QLabel::leaveEvent(event);
}

void CStaticEx::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}
