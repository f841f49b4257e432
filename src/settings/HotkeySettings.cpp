#include "settings/HotkeySettings.h"

#include <array>

#include "base/ProfileIni.h"
#include "base/ProgramPaths.h"
#include "platform/PlatformFolders.h"
#include "platform/VirtualKeyCodes.h"

namespace {

constexpr qsizetype kValueLimit = 32;

struct HotkeyEntry
{
    const char *key;
    HotkeyPair fallback;
};

constexpr std::array<HotkeyEntry, 3> kEntries{{
    {"ShortKey", {MOD_CONTROL, VK_F9}},
    {"AltWndKey", {MOD_CONTROL, VK_TAB}},
    {"SndKey", {MOD_CONTROL, 'S'}},
}};

const HotkeyEntry *EntryFor(int id)
{
    return id >= 1 && id <= int(kEntries.size()) ? &kEntries[std::size_t(id - 1)] : nullptr;
}

} // namespace

namespace SettingsFile {

QString ReadValue(const QString &path, const char *section, const char *key, const QString &fallback)
{
    return ProfileIni::ReadValue(path, section, key, fallback, kValueLimit);
}

bool WriteValue(const QString &path, const char *section, const char *key, const QString &value)
{
    return ProfileIni::WriteValue(path, section, key, value);
}

} // namespace SettingsFile

QString HotkeySettingsPath()
{
    return ProgramFilePath(QString::fromLatin1(kSettingsFileName), ProgramFileKind::Setting);
}

QString HotkeySettingsPlace()
{
    const QString path = HotkeySettingsPath();
    if (!path.isEmpty())
        return path;
    return QStringLiteral("%1/%2/%3").arg(PlatformFolders::Config(), QLatin1String(kUserFolderName),
                                          QLatin1String(kSettingsFileName));
}

QString HotkeyDefaultsPath()
{
    const QString beside = ExeDirPath(QString::fromLatin1(kSettingsFileName));
    return beside == HotkeySettingsPath() ? QString() : beside;
}

const char *HotkeySettingsKey(int id)
{
    const HotkeyEntry *entry = EntryFor(id);
    return entry ? entry->key : nullptr;
}

HotkeyPair DefaultHotkey(int id)
{
    const HotkeyEntry *entry = EntryFor(id);
    return entry ? entry->fallback : HotkeyPair{};
}

HotkeyPair ReadHotkeySetting(int id)
{
    const HotkeyEntry *entry = EntryFor(id);
    if (!entry)
        return {};
    QString fallback = HotkeyValueText(entry->fallback);
    const QString defaults = HotkeyDefaultsPath();
    if (!defaults.isEmpty())
        fallback = SettingsFile::ReadValue(defaults, kSettingsSection, entry->key, fallback);
    return ParseHotkeyValue(SettingsFile::ReadValue(HotkeySettingsPath(), kSettingsSection, entry->key, fallback));
}

bool WriteHotkeySetting(int id, HotkeyPair pair)
{
    const HotkeyEntry *entry = EntryFor(id);
    const QString path = HotkeySettingsPath();
    return entry && !path.isEmpty()
        && SettingsFile::WriteValue(path, kSettingsSection, entry->key, HotkeyValueText(pair));
}

HotkeyPair ReadBossKeySetting()
{
    return ReadHotkeySetting(BossKeyId);
}

HotkeyPair ReadSwitchKeySetting()
{
    return ReadHotkeySetting(SwitchKeyId);
}

HotkeyPair ReadSoundKeySetting()
{
    return ReadHotkeySetting(SoundKeyId);
}

HotkeyPair &RegisteredHotkey(int id)
{
    static std::array<HotkeyPair, 3> registered{kNotRegistered, kNotRegistered, kNotRegistered};
    static HotkeyPair unknown;
    if (!EntryFor(id)) {
        unknown = kNotRegistered;
        return unknown;
    }
    return registered[std::size_t(id - 1)];
}

QString BossKeyText()
{
    return CombinationText(ReadBossKeySetting());
}
