#pragma once

#include <optional>

#include <QString>

#include "platform/HotkeyModifiers.h"

// A hotkey: modifier bits and a virtual-key code (0: switched off).
struct HotkeyPair
{
    int modifiers = 0;
    int key = 0;
    bool operator==(const HotkeyPair &) const = default;
};

// The three hotkeys, by identifier.
inline constexpr int BossKeyId = 1;
inline constexpr int SwitchKeyId = 2;
inline constexpr int SoundKeyId = 3;

// "Ctrl  +  ", "Shift  +  ", "Alt  +  " for the bits set, in that order.
QString ModifierPrefix(int modifiers);

// What an edit shows for a hotkey: "无" for key 0, else the prefixes and the key's name.
QString CombinationText(HotkeyPair pair);

// A stored value "modifiers,key": each part a decimal integer as far as it reads as
// one (leading blanks and a sign allowed, out-of-range numbers clamped); without a ","
// the key is 0.
HotkeyPair ParseHotkeyValue(const QString &value);

// The stored form of `pair`.
QString HotkeyValueText(HotkeyPair pair);

// The hotkey an edit's text stands for when the dialog is confirmed: none when the text
// is empty or ends with a space (only modifiers were pressed); key 0 when it holds "无",
// else `capturedKey`; modifiers from the names it contains.
std::optional<HotkeyPair> HotkeyFromText(const QString &text, int capturedKey);

// Whether a key may end a combination; Tab only where `tabAllowed`.
bool IsAllowedKey(int virtualKey, bool tabAllowed);

// What a key pressed in one of the settings edits does.
struct CaptureResult
{
    QString text;
    int capturedKey = 0;
};

// The edit of `hotkeyId` receives `virtualKey` while `heldModifiers` are down; the edit
// held `capturedKey` so far.
CaptureResult CaptureKey(int hotkeyId, int virtualKey, int heldModifiers, int capturedKey);
