#pragma once

#include <QImage>
#include <QList>
#include <QString>
#include <QVariant>
#include <QWidget>

#include "skin/SkinText.h"

// A self-drawn tab strip of fixed-size, button-style items: the parent's skinned
// background shows through, every item is drawn from a three-frame strip (normal, hot,
// selected) scaled to the item, its text over it, and the hot state is kept in the items'
// state bits. Subclasses add per-item extras by overriding DrawItemExtra and may watch
// the mouse through the protected event handlers (calling the base).
class CTabCtrlBase : public QWidget
{
    Q_OBJECT
public:
    // Item state bits.
    static constexpr unsigned StatePressed = 0x1;   // the selected item
    static constexpr unsigned StateDisabled = 0x6;  // either bit: no image, clicks ignored
    static constexpr unsigned StateHot = 0x80;      // the mouse is over it

    explicit CTabCtrlBase(QWidget *parent = nullptr);

    // Loads the item strip (three frames; the item size becomes one frame) and, when
    // given, the extra strip (three frames, m_nExtraMode becomes 4). False without an
    // item strip. The images stay the caller's.
    bool SetTabImages(const QImage &extraStrip, const QImage &itemStrip);

    // Inserts an item before `index` (clamped to the count); returns its index.
    int InsertItem(int index, const QString &text, const QVariant &itemData = {});
    bool DeleteItem(int index);
    void DeleteAllItems();
    int GetItemCount() const { return int(m_items.size()); }

    QRect GetItemRect(int index) const;
    QString GetItemText(int index) const;
    void SetItemText(int index, const QString &text);
    QVariant GetItemData(int index) const;
    void SetItemData(int index, const QVariant &itemData);
    unsigned GetItemState(int index) const;
    // Sets the bits of `mask` to those of `state` and repaints the item.
    void SetItemState(int index, unsigned mask, unsigned state);

    QSize GetItemSize() const { return m_itemSize; }
    void SetItemSize(QSize size);

    // The selected item, or -1. SetCurSel returns the previous one (no signal).
    int GetCurSel() const;
    int SetCurSel(int index);

    // The item under a client point, or -1.
    int HitTest(QPoint point) const;

    // Moves the hot state to `index` (-1: no item); selected and disabled items are skipped.
    void SetHotItem(int index);
    // The item carrying the hot bit, or -1.
    int GetHotItem() const;

    // The frame of the item strip an item in `state` shows; -1 for none.
    int ItemFrame(unsigned state) const;

    QSize sizeHint() const override;

signals:
    // The user selected item `index` with the mouse.
    void selectionChanged(int index);

protected:
    virtual void DrawItemImage(QPainter &painter, const QRect &rect, unsigned state);
    virtual void DrawItemExtra(QPainter &painter, const QRect &rect, unsigned state);
    virtual void DrawItemText(QPainter &painter, const QString &text, const QRect &rect, unsigned state);

    // The item being drawn while the three drawing steps run, else -1.
    int PaintingItem() const { return m_paintingItem; }

    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

    QList<QImage> m_imgExtra;
    int m_nExtraMode = 1;
    QList<QImage> m_imgItem;
    bool m_bHotTrack = true;
    bool m_bTracking = false;

public:
    // Set by the owner.
    int m_nTextLeft = 3;
    int m_nTextRight = 3;
    unsigned m_nTextFormat = TextFormat::Center | TextFormat::VCenter | TextFormat::SingleLine;

private:
    struct Item
    {
        QString text;
        unsigned state = 0;
        QVariant data;
    };

    bool validIndex(int index) const { return index >= 0 && index < GetItemCount(); }

    QList<Item> m_items;
    QSize m_itemSize{96, 20};
    int m_paintingItem = -1;
};
