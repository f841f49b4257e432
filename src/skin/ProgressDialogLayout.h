#pragma once

#include <QColor>
#include <QRect>

// The layout the small skinned progress dialogs share (in dialog units): a caption band,
// a status line above an image progress bar, buttons at the bottom right.
namespace ProgressDialogLayout {

inline constexpr QRect kDialogUnits(0, 0, 278, 85);
inline constexpr QRect kProgressUnits(10, 41, 258, 12);
inline constexpr QRect kOkUnits(172, 62, 50, 14);
inline constexpr QRect kCancelUnits(222, 62, 50, 14);

inline constexpr int kCaptionHeight = 30;
inline constexpr int kBorder = 4;
inline constexpr QColor kStatusColor(72, 81, 86);

// The buttons' texts.
inline constexpr char kOkText[] = "确定";
inline constexpr char kCancelText[] = "取消";

} // namespace ProgressDialogLayout
