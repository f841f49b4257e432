#include "settings/KeyNames.h"

#include <array>
#include <utility>

#include "platform/VirtualKeyCodes.h"

namespace {

constexpr std::array<std::pair<int, const char *>, 39> kNamedKeys{{
    {VK_BACK, "Back"},       {VK_TAB, "Tab"},          {VK_RETURN, "Enter"},     {VK_SHIFT, "Shift"},
    {VK_CONTROL, "Ctrl"},    {VK_MENU, "Alt"},         {VK_PAUSE, "Pause Break"}, {VK_CAPITAL, "Caps"},
    {VK_ESCAPE, "Esc"},      {VK_PRIOR, "Page Up"},    {VK_NEXT, "Page Down"},   {VK_END, "End"},
    {VK_HOME, "Home"},       {VK_LEFT, "Left"},        {VK_UP, "Up"},            {VK_RIGHT, "Right"},
    {VK_DOWN, "Down"},       {VK_INSERT, "Insert"},    {VK_DELETE, "Del"},       {VK_LWIN, "LWin"},
    {VK_RWIN, "RWin"},       {VK_MULTIPLY, "Num *"},   {VK_ADD, "Num +"},        {VK_SUBTRACT, "Num -"},
    {VK_DECIMAL, "Num Del"}, {VK_DIVIDE, "Num /"},     {VK_NUMLOCK, "Num Lock"}, {VK_SCROLL, "Scroll Lock"},
    {VK_OEM_1, ";"},         {VK_OEM_PLUS, "+"},       {VK_OEM_COMMA, ","},      {VK_OEM_MINUS, "-"},
    {VK_OEM_PERIOD, "."},    {VK_OEM_2, "/"},          {VK_OEM_3, "`"},          {VK_OEM_4, "["},
    {VK_OEM_5, "\\"},        {VK_OEM_6, "]"},          {VK_OEM_7, "'"},
}};

} // namespace

QString KeyDisplayName(int virtualKey)
{
    if (virtualKey >= '0' && virtualKey <= '9')
        return QString(QChar(virtualKey));
    if (virtualKey >= 'A' && virtualKey <= 'Z')
        return QString(QChar(virtualKey));
    if (virtualKey >= VK_NUMPAD0 && virtualKey <= VK_NUMPAD0 + 9)
        return QStringLiteral("Num %1").arg(virtualKey - VK_NUMPAD0);
    if (virtualKey >= VK_F1 && virtualKey <= VK_F12)
        return QStringLiteral("F%1").arg(virtualKey - VK_F1 + 1);
    for (const auto &[code, name] : kNamedKeys) {
        if (code == virtualKey)
            return QString::fromLatin1(name);
    }
    return {};
}
