#include "platform/VirtualKeys.h"

#include <array>
#include <utility>

#include <cstdlib>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <QGuiApplication>

#define XK_MISCELLANY
#define XK_LATIN1
#define XK_XKB_KEYS
#include <X11/keysymdef.h>

namespace VirtualKeys {

namespace {

// Keys whose code is not a letter, digit or one of the numbered ranges.
constexpr std::array<std::pair<int, unsigned>, 45> kKeys{{
    {8, XK_BackSpace},   {9, XK_Tab},          {13, XK_Return},     {16, XK_Shift_L},     {17, XK_Control_L},
    {18, XK_Alt_L},      {19, XK_Pause},       {20, XK_Caps_Lock},  {27, XK_Escape},      {32, XK_space},
    {33, XK_Prior},      {34, XK_Next},        {35, XK_End},        {36, XK_Home},        {37, XK_Left},
    {38, XK_Up},         {39, XK_Right},       {40, XK_Down},       {45, XK_Insert},      {46, XK_Delete},
    {91, XK_Super_L},    {92, XK_Super_R},     {106, XK_KP_Multiply}, {107, XK_KP_Add},   {109, XK_KP_Subtract},
    {110, XK_KP_Decimal}, {111, XK_KP_Divide}, {144, XK_Num_Lock},  {145, XK_Scroll_Lock}, {186, XK_semicolon},
    {187, XK_equal},     {188, XK_comma},      {189, XK_minus},     {190, XK_period},     {191, XK_slash},
    {192, XK_grave},     {219, XK_bracketleft}, {220, XK_backslash}, {221, XK_bracketright}, {222, XK_apostrophe},
    // Coming in only: the other halves of paired keys and the keypad without Num Lock.
    {16, XK_Shift_R},    {17, XK_Control_R},   {18, XK_Alt_R},      {13, XK_KP_Enter},   {9, XK_ISO_Left_Tab},
}};

// The keypad with Num Lock off reports its navigation symbols.
constexpr std::array<std::pair<int, unsigned>, 11> kKeypadNavigation{{
    {45, XK_KP_Insert}, {35, XK_KP_End},   {40, XK_KP_Down}, {34, XK_KP_Next}, {37, XK_KP_Left}, {12, XK_KP_Begin},
    {39, XK_KP_Right},  {36, XK_KP_Home},  {38, XK_KP_Up},   {33, XK_KP_Prior}, {46, XK_KP_Delete},
}};

} // namespace

unsigned KeySymForVirtualKey(int vk)
{
    if (vk >= '0' && vk <= '9')
        return XK_0 + unsigned(vk - '0');
    if (vk >= 'A' && vk <= 'Z')
        return XK_a + unsigned(vk - 'A');
    if (vk >= 96 && vk <= 105)
        return XK_KP_0 + unsigned(vk - 96);
    if (vk >= 112 && vk <= 135)
        return XK_F1 + unsigned(vk - 112);
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
        return int(96 + (sym - XK_KP_0));
    if (sym >= XK_F1 && sym <= XK_F24)
        return int(112 + (sym - XK_F1));
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
    const auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (keypad || !x11 || keycode == 0 || keycode > 255)
        return VirtualKeyForKeySym(reportedKeySym);
    xcb_key_symbols_t *symbols = xcb_key_symbols_alloc(x11->connection());
    const xcb_keysym_t base = xcb_key_symbols_get_keysym(symbols, xcb_keycode_t(keycode), 0);
    xcb_key_symbols_free(symbols);
    const int key = VirtualKeyForKeySym(base);
    return key ? key : VirtualKeyForKeySym(reportedKeySym);
}

} // namespace VirtualKeys
