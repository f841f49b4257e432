#pragma once

#include <QImage>
#include <QCursor>
#include <QPainter>
#include <QProcess>
#include <QWidget>

#include "skin/SkinBackground.h"

// A plain skinned parent that paints one solid colour, so a control's own pixels can be
// told apart from the background it asked its parent for.
class SolidBackground : public QWidget, public CSkinBackground
{
public:
    explicit SolidBackground(QColor colour)
        : m_colour(colour)
    {
        resize(400, 300);
    }

    bool EraseBackground(QPainter &painter) override
    {
        painter.fillRect(rect(), m_colour);
        return true;
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        EraseBackground(painter);
    }

private:
    QColor m_colour;
};

// True when any pixel of `image` has exactly the colour `rgb`.
inline bool HasColour(const QImage &image, QRgb rgb)
{
    const QImage rgb32 = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < rgb32.height(); ++y)
        for (int x = 0; x < rgb32.width(); ++x)
            if ((rgb32.pixel(x, y) & 0xffffff) == (rgb & 0xffffff))
                return true;
    return false;
}

// Moves the real pointer of the display onto `point` of `widget`; the window system then
// delivers the enter, move and leave events as it does for a player's mouse.
inline void PointerTo(const QWidget *widget, QPoint point)
{
    QCursor::setPos(widget->mapToGlobal(point));
}

// Runs xdotool with `arguments` (real button presses on the display); true on success.
inline bool XDoTool(const QStringList &arguments)
{
    return QProcess::execute(QStringLiteral("xdotool"), arguments) == 0;
}
