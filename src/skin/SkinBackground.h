#pragma once

class QPainter;
class QWidget;

// A window that paints its whole skinned background in its own window coordinates, so
// that the skinned controls on it can draw exactly the part that lies under them.
class CSkinBackground
{
public:
    virtual ~CSkinBackground() = default;

    // Paints the background in window coordinates; false when there is none.
    virtual bool EraseBackground(QPainter &painter) = 0;
};

// Paints into `painter` (whose origin is the child's top-left) the background of the
// nearest skinned ancestor of `child`. False when no ancestor paints one; the child then
// leaves its pixels transparent and the parent shows through as usual.
bool PaintParentBackground(const QWidget *child, QPainter &painter);
