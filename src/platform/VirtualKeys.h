#pragma once

// Translation between the virtual-key codes the hotkey settings store and the key
// symbols of the desktop's keyboard mapping. Letters are their lower-case symbols going
// out and either case coming in; each answer is 0 for a key without counterpart.
namespace VirtualKeys {

unsigned KeySymForVirtualKey(int virtualKey);
int VirtualKeyForKeySym(unsigned keySym);

// The virtual key of a key press: from the keycode's unshifted symbol (so Shift+1 is
// still "1"), except on the keypad, whose symbol depends on Num Lock. `reportedKeySym`
// is the symbol the press reported; used when the keycode's symbols cannot be read.
int VirtualKeyForKeyPress(unsigned keycode, unsigned reportedKeySym);

} // namespace VirtualKeys
