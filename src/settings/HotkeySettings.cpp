#include "settings/HotkeySettings.h"

#include <array>
#include <string>

#include <QFile>
#include <QSaveFile>

// Bytes in, bytes out: the file keeps whatever encoding it has.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

#include "base/ProgramPaths.h"

namespace {

constexpr qsizetype kValueLimit = 32;
// A settings file is small; anything larger is not one.
constexpr qint64 kFileLimit = 1 << 20;

struct HotkeyEntry
{
    const char *key;
    HotkeyPair fallback;
};

constexpr std::array<HotkeyEntry, 3> kEntries{{
    {"ShortKey", {MOD_CONTROL, 120}},
    {"AltWndKey", {MOD_CONTROL, 9}},
    {"SndKey", {MOD_CONTROL, 83}},
}};

// Kept as bytes: a file in any 8-bit encoding survives a rewrite unchanged.
using Ini = CSimpleIniA;

enum class Load { Missing, Loaded, Unreadable };

Load LoadIni(const QString &path, Ini &ini)
{
    ini.SetUnicode(false);
    ini.SetMultiKey(true);
    ini.SetSpaces(false);
    QFile file(path);
    if (!file.exists())
        return Load::Missing;
    if (!file.open(QIODevice::ReadOnly) || file.size() > kFileLimit)
        return Load::Unreadable;
    const QByteArray data = file.read(kFileLimit + 1);
    if (data.size() > kFileLimit || data.contains('\0'))
        return Load::Unreadable;
    return ini.LoadData(data.constData(), std::size_t(data.size())) < 0 ? Load::Unreadable : Load::Loaded;
}

const HotkeyEntry *EntryFor(int id)
{
    return id >= 1 && id <= int(kEntries.size()) ? &kEntries[std::size_t(id - 1)] : nullptr;
}

} // namespace

namespace SettingsFile {

QString ReadValue(const QString &path, const char *section, const char *key, const QString &fallback)
{
    Ini ini;
    if (LoadIni(path, ini) != Load::Loaded)
        return fallback.left(kValueLimit);
    const char *value = ini.GetValue(section, key, nullptr);
    return (value ? QString::fromLocal8Bit(value) : fallback).left(kValueLimit);
}

bool WriteValue(const QString &path, const char *section, const char *key, const QString &value)
{
    Ini ini;
    if (LoadIni(path, ini) == Load::Unreadable)
        return false;
    if (ini.SetValue(section, key, value.toLocal8Bit().constData(), nullptr, true) < 0)
        return false;
    std::string text;
    if (ini.Save(text) < 0)
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    if (file.write(text.data(), qint64(text.size())) != qint64(text.size())) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace SettingsFile

QString HotkeySettingsPath()
{
    return ProgramFilePath(QString::fromLatin1(kSettingsFileName), ProgramFileKind::Setting);
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
