#include "SkinBackground.h"

#include <QPainter>
#include <QWidget>

bool PaintParentBackground(const QWidget *child, QPainter &painter)
{
    for (QWidget *w = child->parentWidget(); w; w = w->parentWidget()) {
        if (auto *skinned = dynamic_cast<CSkinBackground *>(w)) {
            painter.save();
            painter.translate(-child->mapTo(w, QPoint(0, 0)));
            const bool painted = skinned->EraseBackground(painter);
            painter.restore();
            return painted;
        }
        if (w->isWindow())
            break;
    }
    return false;
}

void KeepMouseInControl(QWidget *control)
{
    control->setAttribute(Qt::WA_NoMousePropagation);
    control->setCursor(Qt::ArrowCursor);
}
