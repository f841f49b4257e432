#include "CTabCtrlBase.h"

#include <QMouseEvent>
#include <QPainter>

#include "skin/SkinBackground.h"
#include "skin/SkinImage.h"

namespace {

constexpr int kFrameCount = 3;
constexpr int kItemSpacing = 3; // gap between neighbouring button-style items
constexpr int kTextTop = 3;

QList<QImage> SplitStrip(const QImage &strip)
{
    QList<QImage> frames;
    const int frameWidth = strip.width() / kFrameCount;
    if (strip.isNull() || frameWidth <= 0)
        return frames;
    const QImage transparent = KeyedToTransparent(strip);
    for (int i = 0; i < kFrameCount; ++i)
        frames << transparent.copy(i * frameWidth, 0, frameWidth, strip.height());
    return frames;
}

} // namespace

CTabCtrlBase::CTabCtrlBase(QWidget *parent)
    : QWidget(parent)
{
    setMouseTracking(true);
    KeepMouseInControl(this);
    setFocusPolicy(Qt::NoFocus);
}

bool CTabCtrlBase::SetTabImages(const QImage &extraStrip, const QImage &itemStrip)
{
    if (itemStrip.isNull())
        return false;
    bool loaded = true;
    if (!extraStrip.isNull()) {
        m_imgExtra = SplitStrip(extraStrip);
        loaded = !m_imgExtra.isEmpty();
        if (loaded)
            m_nExtraMode = 4;
    }
    m_imgItem = SplitStrip(itemStrip);
    if (m_imgItem.isEmpty())
        return false;
    SetItemSize(m_imgItem.first().size());
    return loaded;
}

int CTabCtrlBase::InsertItem(int index, const QString &text, const QVariant &itemData)
{
    index = std::clamp(index, 0, GetItemCount());
    m_items.insert(index, Item{text, 0, itemData});
    updateGeometry();
    update();
    return index;
}

bool CTabCtrlBase::DeleteItem(int index)
{
    if (!validIndex(index))
        return false;
    m_items.removeAt(index);
    updateGeometry();
    update();
    return true;
}

void CTabCtrlBase::DeleteAllItems()
{
    m_items.clear();
    update();
}

QRect CTabCtrlBase::GetItemRect(int index) const
{
    if (!validIndex(index))
        return {};
    return QRect(QPoint(index * (m_itemSize.width() + kItemSpacing), 0), m_itemSize);
}

QString CTabCtrlBase::GetItemText(int index) const
{
    return validIndex(index) ? m_items.at(index).text : QString();
}

void CTabCtrlBase::SetItemText(int index, const QString &text)
{
    if (!validIndex(index))
        return;
    m_items[index].text = text;
    update(GetItemRect(index));
}

QVariant CTabCtrlBase::GetItemData(int index) const
{
    return validIndex(index) ? m_items.at(index).data : QVariant();
}

void CTabCtrlBase::SetItemData(int index, const QVariant &itemData)
{
    if (validIndex(index))
        m_items[index].data = itemData;
}

unsigned CTabCtrlBase::GetItemState(int index) const
{
    return validIndex(index) ? m_items.at(index).state : 0;
}

void CTabCtrlBase::SetItemState(int index, unsigned mask, unsigned state)
{
    if (!validIndex(index))
        return;
    unsigned &current = m_items[index].state;
    current = (current & ~mask) | (state & mask);
    update(GetItemRect(index));
}

void CTabCtrlBase::SetItemSize(QSize size)
{
    m_itemSize = size;
    updateGeometry();
    update();
}

int CTabCtrlBase::GetCurSel() const
{
    for (int i = 0; i < GetItemCount(); ++i) {
        if (m_items.at(i).state & StatePressed)
            return i;
    }
    return -1;
}

int CTabCtrlBase::SetCurSel(int index)
{
    const int previous = GetCurSel();
    if (!validIndex(index))
        return -1;
    for (int i = 0; i < GetItemCount(); ++i) {
        // The newly selected item drops its hot bit, so it never shows the hot look
        // later when another item takes the selection.
        if (i == index)
            SetItemState(i, StatePressed | StateHot, StatePressed);
        else
            SetItemState(i, StatePressed, 0);
    }
    return previous;
}

int CTabCtrlBase::HitTest(QPoint point) const
{
    for (int i = 0; i < GetItemCount(); ++i) {
        if (GetItemRect(i).contains(point))
            return i;
    }
    return -1;
}

void CTabCtrlBase::SetHotItem(int index)
{
    for (int i = 0; i < GetItemCount(); ++i) {
        const unsigned state = m_items.at(i).state;
        if (state & (StatePressed | StateDisabled))
            continue;
        if ((state & StateHot) && i == index)
            continue;
        if (state & StateHot)
            SetItemState(i, ~0u, 0);
        else if (i == index)
            SetItemState(i, StateHot, StateHot);
    }
}

int CTabCtrlBase::GetHotItem() const
{
    for (int i = 0; i < GetItemCount(); ++i) {
        if (m_items.at(i).state & StateHot)
            return i;
    }
    return -1;
}

int CTabCtrlBase::ItemFrame(unsigned state) const
{
    if (state & StateDisabled)
        return -1;
    if (state & StatePressed)
        return m_bHotTrack ? 2 : 1;
    if (state & StateHot)
        return m_bHotTrack ? 1 : 0;
    return 0;
}

QSize CTabCtrlBase::sizeHint() const
{
    const int count = std::max(1, GetItemCount());
    return QSize(count * (m_itemSize.width() + kItemSpacing), m_itemSize.height());
}

void CTabCtrlBase::DrawItemImage(QPainter &painter, const QRect &rect, unsigned state)
{
    const int frame = ItemFrame(state);
    if (frame < 0 || frame >= m_imgItem.size())
        return;
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect, m_imgItem.at(frame));
    painter.restore();
}

void CTabCtrlBase::DrawItemExtra(QPainter &, const QRect &, unsigned)
{
}

void CTabCtrlBase::DrawItemText(QPainter &painter, const QString &text, const QRect &rect, unsigned)
{
    painter.setFont(font());
    painter.setPen(Qt::black);
    const QRect textRect = rect.adjusted(m_nTextLeft, kTextTop, -m_nTextRight, 0);
    painter.drawText(textRect, TextFormatToQtFlags(m_nTextFormat), text);
}

void CTabCtrlBase::paintEvent(QPaintEvent *)
{
    QImage offscreen(size(), QImage::Format_ARGB32_Premultiplied);
    offscreen.fill(Qt::transparent);
    {
        QPainter p(&offscreen);
        PaintParentBackground(this, p);
        // The count is read again each round: a drawing step may change the items.
        for (int i = 0; i < GetItemCount(); ++i) {
            const QRect rect = GetItemRect(i);
            const Item item = m_items.at(i);
            m_paintingItem = i;
            DrawItemImage(p, rect, item.state);
            DrawItemExtra(p, rect, item.state);
            DrawItemText(p, item.text, rect, item.state);
        }
        m_paintingItem = -1;
    }
    QPainter(this).drawImage(0, 0, offscreen);
}

void CTabCtrlBase::mouseMoveEvent(QMouseEvent *event)
{
    if (m_bHotTrack) {
        m_bTracking = true;
        SetHotItem(HitTest(event->position().toPoint()));
    }
    QWidget::mouseMoveEvent(event);
}

void CTabCtrlBase::leaveEvent(QEvent *event)
{
    m_bTracking = false;
    SetHotItem(-1);
    QWidget::leaveEvent(event);
}

void CTabCtrlBase::mousePressEvent(QMouseEvent *event)
{
    const int index = HitTest(event->position().toPoint());
    if (index >= 0 && (GetItemState(index) & StateDisabled))
        return;
    if (event->button() == Qt::LeftButton && index >= 0 && index != GetCurSel()) {
        SetCurSel(index);
        emit selectionChanged(index);
    }
    QWidget::mousePressEvent(event);
}
