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

// Makes `control`, a skinned child control, the end of every mouse event over it: its
// presses, double clicks, moves and releases never reach the skinned window below (no
// drag, resize or maximise from a control), and it shows the arrow cursor whatever
// resize cursor the window shows at its edge.
void KeepMouseInControl(QWidget *control);
