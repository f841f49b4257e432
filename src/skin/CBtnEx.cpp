#include "CBtnEx.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QStyleHints>
#include <QPainter>

#include "skin/SkinBackground.h"
#include "skin/SkinGeometry.h"
#include "skin/SkinImage.h"

namespace {

constexpr int kHoverDelayMs = 10;
// The platform's grey text colour for disabled controls.
constexpr QRgb kGrayText = 0xff6d6d6d;

} // namespace

int ChooseButtonFrame(bool disabled, bool down, bool &pressed, bool hover)
{
    if (disabled)
        return FrameDisabled;
    if (down || pressed) {
        pressed = true;
        return FramePressed;
    }
    return hover ? FrameHover : FrameNormal;
}

CBtnEx::CBtnEx(QWidget *parent)
    : CBtnEx(0, parent)
{
}

CBtnEx::CBtnEx(int id, QWidget *parent)
    : QAbstractButton(parent)
    , m_id(id)
{
    setMouseTracking(true);
    KeepMouseInControl(this);
    m_hoverTimer.setSingleShot(true);
    m_hoverTimer.setInterval(kHoverDelayMs);
    connect(&m_hoverTimer, &QTimer::timeout, this, &CBtnEx::handleHover);
}

bool CBtnEx::SetImage(const QImage &bitmap, bool resize)
{
    m_imgList.clear();
    const int frameWidth = bitmap.width() / kButtonFrameCount;
    if (!bitmap.isNull() && frameWidth > 0) {
        const QImage transparent = KeyedToTransparent(bitmap);
        for (int i = 0; i < kButtonFrameCount; ++i)
            m_imgList << transparent.copy(i * frameWidth, 0, frameWidth, bitmap.height());
        if (resize)
            this->resize(frameWidth, bitmap.height());
    }
    refreshWindowRect();
    update();
    return true;
}

int CBtnEx::CurrentFrame()
{
    return ChooseButtonFrame(!isEnabled(), isDown(), m_bPressed, m_bHover);
}

QSize CBtnEx::sizeHint() const
{
    return m_imgList.isEmpty() ? QSize(75, 23) : m_imgList.first().size();
}

void CBtnEx::paintEvent(QPaintEvent *)
{
    const int frame = CurrentFrame();
    QImage offscreen(size(), QImage::Format_ARGB32_Premultiplied);
    offscreen.fill(Qt::transparent);
    {
        QPainter p(&offscreen);
        PaintParentBackground(this, p);
        if (frame < m_imgList.size()) {
            const QImage &image = m_imgList.at(frame);
            if (image.size() == size()) {
                p.drawImage(0, 0, image);
            } else {
                p.setRenderHint(QPainter::SmoothPixmapTransform);
                p.drawImage(rect(), image);
            }
        }
        if (!m_strText.isEmpty()) {
            p.setFont(font());
            p.setPen(frame == FrameDisabled ? QColor::fromRgb(kGrayText) : m_crText);
            p.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, m_strText);
        }
    }
    QPainter(this).drawImage(0, 0, offscreen);
}

void CBtnEx::trackMouse()
{
    if (m_bTracking)
        return;
    m_bTracking = true;
    m_hoverTimer.start();
}

void CBtnEx::handleHover()
{
    m_bHover = true;
    update();
}

void CBtnEx::enterEvent(QEnterEvent *event)
{
    trackMouse();
    QAbstractButton::enterEvent(event);
}

void CBtnEx::mouseMoveEvent(QMouseEvent *event)
{
    trackMouse();
    QAbstractButton::mouseMoveEvent(event);
}

void CBtnEx::leaveEvent(QEvent *event)
{
    m_hoverTimer.stop();
    m_bHover = false;
    m_bTracking = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void CBtnEx::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_bPressed = false;
        m_lastReleaseTime = event->timestamp();
        update();
    }
    QAbstractButton::mouseReleaseEvent(event);
}

void CBtnEx::mouseDoubleClickEvent(QMouseEvent *event)
{
    // A double-click whose first click went elsewhere (a window that has just closed
    // under the pointer) is this button's first press.
    const bool ownFirstClick = m_lastReleaseTime != 0
        && event->timestamp() - m_lastReleaseTime
            <= static_cast<quint64>(QGuiApplication::styleHints()->mouseDoubleClickInterval());
    if (!ownFirstClick) {
        mousePressEvent(event);
        return;
    }
    // Not a further press: the release that follows finds the button up and clicks nothing.
    event->accept();
    if (event->button() == Qt::LeftButton && isEnabled() && hitButton(event->position().toPoint()))
        emit doubleClicked();
}

void CBtnEx::resizeEvent(QResizeEvent *event)
{
    refreshWindowRect();
    QAbstractButton::resizeEvent(event);
}

void CBtnEx::refreshWindowRect()
{
    m_rcWindow = QRect(mapToGlobal(QPoint(0, 0)), size());
}
