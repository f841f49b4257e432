#include "platform/VirtualKeys.h"

#include <array>
#include <utility>

#include <cstdlib>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include "platform/VirtualKeyCodes.h"
#include "platform/XcbConnection.h"

#define XK_MISCELLANY
#define XK_LATIN1
#define XK_XKB_KEYS
#include <X11/keysymdef.h>

namespace VirtualKeys {

namespace {

// Keys whose code is not a letter, digit or one of the numbered ranges.
constexpr std::array<std::pair<int, unsigned>, 45> kKeys{{
    {VK_BACK, XK_BackSpace},     {VK_TAB, XK_Tab},           {VK_RETURN, XK_Return},
    {VK_SHIFT, XK_Shift_L},      {VK_CONTROL, XK_Control_L}, {VK_MENU, XK_Alt_L},
    {VK_PAUSE, XK_Pause},        {VK_CAPITAL, XK_Caps_Lock}, {VK_ESCAPE, XK_Escape},
    {VK_SPACE, XK_space},        {VK_PRIOR, XK_Prior},       {VK_NEXT, XK_Next},
    {VK_END, XK_End},            {VK_HOME, XK_Home},         {VK_LEFT, XK_Left},
    {VK_UP, XK_Up},              {VK_RIGHT, XK_Right},       {VK_DOWN, XK_Down},
    {VK_INSERT, XK_Insert},      {VK_DELETE, XK_Delete},     {VK_LWIN, XK_Super_L},
    {VK_RWIN, XK_Super_R},       {VK_MULTIPLY, XK_KP_Multiply}, {VK_ADD, XK_KP_Add},
    {VK_SUBTRACT, XK_KP_Subtract}, {VK_DECIMAL, XK_KP_Decimal}, {VK_DIVIDE, XK_KP_Divide},
    {VK_NUMLOCK, XK_Num_Lock},   {VK_SCROLL, XK_Scroll_Lock}, {VK_OEM_1, XK_semicolon},
    {VK_OEM_PLUS, XK_equal},     {VK_OEM_COMMA, XK_comma},   {VK_OEM_MINUS, XK_minus},
    {VK_OEM_PERIOD, XK_period},  {VK_OEM_2, XK_slash},       {VK_OEM_3, XK_grave},
    {VK_OEM_4, XK_bracketleft},  {VK_OEM_5, XK_backslash},   {VK_OEM_6, XK_bracketright},
    {VK_OEM_7, XK_apostrophe},
    // Coming in only: the other halves of paired keys and the keypad without Num Lock.
    {VK_SHIFT, XK_Shift_R},      {VK_CONTROL, XK_Control_R}, {VK_MENU, XK_Alt_R},
    {VK_RETURN, XK_KP_Enter},    {VK_TAB, XK_ISO_Left_Tab},
}};

// The keypad with Num Lock off reports its navigation symbols.
constexpr std::array<std::pair<int, unsigned>, 11> kKeypadNavigation{{
    {VK_INSERT, XK_KP_Insert}, {VK_END, XK_KP_End},     {VK_DOWN, XK_KP_Down}, {VK_NEXT, XK_KP_Next},
    {VK_LEFT, XK_KP_Left},     {VK_CLEAR, XK_KP_Begin}, {VK_RIGHT, XK_KP_Right}, {VK_HOME, XK_KP_Home},
    {VK_UP, XK_KP_Up},         {VK_PRIOR, XK_KP_Prior}, {VK_DELETE, XK_KP_Delete},
}};

} // namespace

unsigned KeySymForVirtualKey(int vk)
{
    if (vk >= '0' && vk <= '9')
        return XK_0 + unsigned(vk - '0');
    if (vk >= 'A' && vk <= 'Z')
        return XK_a + unsigned(vk - 'A');
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9)
        return XK_KP_0 + unsigned(vk - VK_NUMPAD0);
    if (vk >= VK_F1 && vk <= VK_F24)
        return XK_F1 + unsigned(vk - VK_F1);
    for (const auto &[code, sym] : kKeys) {
        if (code == vk)
            return sym;
    }
    return 0;
}

int VirtualKeyForKeySym(unsigned sym)
{
    if (sym >= XK_0 && sym <= XK_9)
        return int('0' + (sym - XK_0));
    if (sym >= XK_a && sym <= XK_z)
        return int('A' + (sym - XK_a));
    if (sym >= XK_A && sym <= XK_Z)
        return int('A' + (sym - XK_A));
    if (sym >= XK_KP_0 && sym <= XK_KP_9)
        return int(VK_NUMPAD0 + (sym - XK_KP_0));
    if (sym >= XK_F1 && sym <= XK_F24)
        return int(VK_F1 + (sym - XK_F1));
    for (const auto &[code, keySym] : kKeys) {
        if (keySym == sym)
            return code;
    }
    for (const auto &[code, keySym] : kKeypadNavigation) {
        if (keySym == sym)
            return code;
    }
    return 0;
}

int VirtualKeyForKeyPress(unsigned keycode, unsigned reportedKeySym)
{
    const bool keypad = reportedKeySym >= XK_KP_Space && reportedKeySym <= XK_KP_9;
    xcb_connection_t *connection = XcbConnection::Current();
    if (keypad || !connection || keycode == 0 || keycode > 255)
        return VirtualKeyForKeySym(reportedKeySym);
    xcb_key_symbols_t *symbols = xcb_key_symbols_alloc(connection);
    const xcb_keysym_t base = xcb_key_symbols_get_keysym(symbols, xcb_keycode_t(keycode), 0);
    xcb_key_symbols_free(symbols);
    const int key = VirtualKeyForKeySym(base);
    return key ? key : VirtualKeyForKeySym(reportedKeySym);
}

} // namespace VirtualKeys
