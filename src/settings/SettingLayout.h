#pragma once

#include <QRect>
#include <QSize>

// Where the hotkey settings dialog puts its controls. Positions are dialog units of its
// template, turned into pixels with the dialog font's base units (6 x 12 pixels: one unit
// is a quarter of the average character width across and an eighth of its height down).
namespace SettingLayout {

inline constexpr int kTemplateId = 139;
inline constexpr QSize kDialogUnits{206, 233};

QRect FromDialogUnits(const QRect &units);
QSize DialogSize();

// The controls of one hotkey's group, by row 0 (boss), 1 (switch), 2 (sound).
QRect GroupRect(int row);
QRect PromptRect(int row);
QRect EditRect(int row);
QRect ExampleRect(int row);
// The OK (1) and Cancel (2) buttons' top-left corners; they take their image's size.
QPoint ButtonOrigin(int id);

} // namespace SettingLayout
