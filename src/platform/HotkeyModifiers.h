#pragma once

// Modifier bits of a global hotkey, as registered and as the settings file stores them.
inline constexpr int MOD_ALT = 1;
inline constexpr int MOD_CONTROL = 2;
inline constexpr int MOD_SHIFT = 4;
