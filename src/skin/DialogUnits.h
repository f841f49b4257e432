#pragma once

#include <QRect>

// Dialog templates give positions and sizes in dialog units of their font ("MS Shell
// Dlg" 8: base units 6 x 13 pixels at 96 dpi, a quarter of the width and an eighth of the
// height per unit), rounded as the window system does.
QRect DialogUnitsToPixels(const QRect &units);
