#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Text format bits of the skinned controls (the platform's DrawText values).
namespace TextFormat {
inline constexpr unsigned Left = 0x0;
inline constexpr unsigned Center = 0x1;
inline constexpr unsigned Right = 0x2;
inline constexpr unsigned VCenter = 0x4;
inline constexpr unsigned Bottom = 0x8;
inline constexpr unsigned WordBreak = 0x10;
inline constexpr unsigned SingleLine = 0x20;
inline constexpr unsigned PathEllipsis = 0x4000;
inline constexpr unsigned EndEllipsis = 0x8000;
} // namespace TextFormat

// Qt alignment and text flags for a format of TextFormat bits.
int TextFormatToQtFlags(unsigned format);

// Width in pixels of a piece of text, as the control's font measures it.
using TextMeasure = std::function<int(const QString &)>;

// Breaks `text` into lines no wider than `width`, character by character (also inside
// words): a carriage return is dropped, a line feed ends a line, and a character that no
// longer fits starts the next line. A character wider than the whole line stands on a
// line of its own. Nothing at all when `width` is below `charWidth`.
QStringList WrapTextLines(const QString &text, int width, int charWidth, const TextMeasure &measure);

// The sample whose measured width, divided by its 11 counted characters, gives the
// average character width of the static control.
QString CharWidthSample();
inline constexpr int kCharWidthSampleCount = 11;
