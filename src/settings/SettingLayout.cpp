#include "settings/SettingLayout.h"

namespace SettingLayout {

namespace {

constexpr int kBaseX = 6;
constexpr int kBaseY = 12;
constexpr int kGroupLeft = 7;
constexpr int kGroupTop = 24;
constexpr int kGroupWidth = 192;
constexpr int kGroupHeight = 56;
constexpr int kGroupPitch = 62;
constexpr int kButtonTop = 210;

int Row(int row, int offset)
{
    return kGroupTop + row * kGroupPitch + offset;
}

} // namespace

QRect FromDialogUnits(const QRect &units)
{
    const int left = units.x() * kBaseX / 4, top = units.y() * kBaseY / 8;
    const int right = (units.x() + units.width()) * kBaseX / 4, bottom = (units.y() + units.height()) * kBaseY / 8;
    return QRect(left, top, right - left, bottom - top);
}

QSize DialogSize()
{
    return FromDialogUnits(QRect(QPoint(0, 0), kDialogUnits)).size();
}

QRect GroupRect(int row)
{
    return FromDialogUnits(QRect(kGroupLeft, Row(row, 0), kGroupWidth, kGroupHeight));
}

QRect PromptRect(int row)
{
    return FromDialogUnits(QRect(16, Row(row, 16), 66, 10));
}

QRect EditRect(int row)
{
    return FromDialogUnits(QRect(84, Row(row, 14), 106, 14));
}

QRect ExampleRect(int row)
{
    return FromDialogUnits(QRect(84, Row(row, 34), 106, 10));
}

QPoint ButtonOrigin(int id)
{
    return FromDialogUnits(QRect(id == 1 ? 46 : 111, kButtonTop, 1, 1)).topLeft();
}

} // namespace SettingLayout
