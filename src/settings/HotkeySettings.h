#pragma once

#include <QString>

#include "settings/HotkeyCombination.h"

// The settings file beside the executable and its section.
inline constexpr char kSettingsFileName[] = "Statistic.ini";
inline constexpr char kSettingsSection[] = "ycj";

// A key-value file with the profile semantics of the settings file: sections and keys
// compared without case, the first of repeated keys wins, values trimmed.
namespace SettingsFile {

// The value of `key` in `section` of the file at `path`, at most 32 characters; `fallback`
// when the file, the section or the key is missing or the file cannot be read as text.
QString ReadValue(const QString &path, const char *section, const char *key, const QString &fallback);

// Sets `key` in `section` of the file at `path`, keeping every other section, key and
// comment. The new file is written beside the old one and renamed over it, so a failed
// write leaves the old file whole. Fails without touching anything when the existing file
// cannot be read as text.
bool WriteValue(const QString &path, const char *section, const char *key, const QString &value);

} // namespace SettingsFile

// Where the hotkey settings live: "Statistic.ini" beside the executable, or in the
// player's own folder where the executable's folder is not the program's to write.
QString HotkeySettingsPath();

// Where the player is told the settings belong: HotkeySettingsPath(), or where the
// player's own folder would hold the file when that folder cannot be used.
QString HotkeySettingsPlace();

// The file that gives the defaults of keys the settings file lacks: "Statistic.ini"
// beside the executable when the settings live elsewhere, else empty.
QString HotkeyDefaultsPath();

// The settings key and default value of hotkey `id` (1 boss, 2 switch, 3 sound).
const char *HotkeySettingsKey(int id);
HotkeyPair DefaultHotkey(int id);

// The stored hotkey `id`; where the file or the key is missing, the defaults file's
// value, else the built-in default.
HotkeyPair ReadHotkeySetting(int id);
// Stores hotkey `id`; false when the file could not be written.
bool WriteHotkeySetting(int id, HotkeyPair pair);

// The three settings readers.
HotkeyPair ReadBossKeySetting();
HotkeyPair ReadSwitchKeySetting();
HotkeyPair ReadSoundKeySetting();

// The pair last registered successfully for hotkey `id` (1 to 3); both members -1 while
// nothing is registered. The process keeps one per identifier.
HotkeyPair &RegisteredHotkey(int id);
inline constexpr HotkeyPair kNotRegistered{-1, -1};

// The boss key as the menus name it: its combination text from the settings file.
QString BossKeyText();
