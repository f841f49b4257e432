#pragma once

class QObject;

// System-wide hotkeys. A registered combination reaches its window as a HotkeyEvent
// carrying the identifier, wherever the keyboard focus is, with the lock keys in any
// state. Modifiers are the bits of HotkeyModifiers.h; keys are virtual-key codes.
// A registration ends with UnregisterHotKey or when its window is destroyed.

// Fails when another program holds the combination, when it is registered in this
// process already, when the key is not on the keyboard or the modifiers are unknown.
bool RegisterHotKey(QObject *window, int id, int modifiers, int virtualKey);

// Removes the registrations of `id` on `window`; false when there were none.
bool UnregisterHotKey(QObject *window, int id);
