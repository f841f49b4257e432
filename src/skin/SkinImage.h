#pragma once

#include <QIcon>
#include <QImage>
#include <QRgb>

// The one colour that marks transparent pixels in every skin image: magenta.
inline constexpr QRgb KeyColor = 0xffff00ff;

// Turns a decoded image into an opaque 32-bit image in which transparency is the key
// colour: alpha 255 keeps the colour, alpha 0 becomes `key`, any other alpha is the
// colour composited over white with integer arithmetic. A null or empty image gives null.
QImage ToKeyedBitmap(const QImage &decoded, QRgb key);

// The skin image with the resource id `id`: a bitmap resource of that id unchanged, else
// the PNG resource of that id through ToKeyedBitmap with KeyColor. Null when neither
// exists or the data does not decode. Every call decodes afresh.
QImage LoadSkinImage(int id);

// A keyed image with its key-coloured pixels made fully transparent, ready to be drawn
// (scaled or not) over whatever lies below.
QImage KeyedToTransparent(const QImage &keyed);

// The resource path of a skin PNG, for owners that load a resource themselves.
QString SkinResourcePath(int id);

// The application icon (resource 128).
QIcon AppIcon();

// Resource ids of the skin images.
namespace SkinId {
inline constexpr int AppIcon = 128;
inline constexpr int MainBack = 131;
inline constexpr int CloseButton = 132;
inline constexpr int MaximizeButton = 133;
inline constexpr int MinimizeButton = 134;
inline constexpr int RestoreButton = 135;
inline constexpr int WideButton = 137;
inline constexpr int ToolButton = 138;
inline constexpr int LoginBack = 141;
inline constexpr int TabItem = 142;
inline constexpr int TabExtra = 143;
inline constexpr int SoundOn = 156;
inline constexpr int SoundOff = 157;
inline constexpr int ProgressFill = 161;
inline constexpr int ProgressBack = 162;
inline constexpr int SmallDialogBack = 164;
inline constexpr int DialogButton = 165;
} // namespace SkinId
