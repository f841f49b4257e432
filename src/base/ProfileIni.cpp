#include "base/ProfileIni.h"

#include <string>

#include <QFile>
#include <QSaveFile>

// Bytes in, bytes out: the file keeps whatever encoding it has.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

namespace {

// A profile file is small; anything larger is not one.
constexpr qint64 kFileLimit = 1 << 20;

using Ini = CSimpleIniA;

enum class Load { Missing, Loaded, Unreadable };

bool ParseText(const QByteArray &text, Ini &ini)
{
    ini.SetUnicode(false);
    ini.SetMultiKey(true);
    ini.SetSpaces(false);
    if (text.size() > kFileLimit || text.contains('\0'))
        return false;
    return ini.LoadData(text.constData(), std::size_t(text.size())) >= 0;
}

Load LoadIni(const QString &path, Ini &ini)
{
    QFile file(path);
    if (!file.exists()) {
        ParseText({}, ini);
        return Load::Missing;
    }
    if (!file.open(QIODevice::ReadOnly) || file.size() > kFileLimit)
        return Load::Unreadable;
    return ParseText(file.read(kFileLimit + 1), ini) ? Load::Loaded : Load::Unreadable;
}

std::optional<QByteArray> ValueOf(const Ini &ini, const char *section, const char *key)
{
    const char *value = ini.GetValue(section, key, nullptr);
    if (!value)
        return std::nullopt;
    return QByteArray(value);
}

} // namespace

namespace ProfileIni {

std::optional<QByteArray> ValueIn(const QByteArray &text, const char *section, const char *key)
{
    Ini ini;
    if (!ParseText(text, ini))
        return std::nullopt;
    return ValueOf(ini, section, key);
}

std::optional<QByteArray> ReadBytes(const QString &path, const char *section, const char *key)
{
    Ini ini;
    if (LoadIni(path, ini) != Load::Loaded)
        return std::nullopt;
    return ValueOf(ini, section, key);
}

QString ReadValue(const QString &path, const char *section, const char *key, const QString &fallback,
                  qsizetype limit)
{
    const std::optional<QByteArray> value = ReadBytes(path, section, key);
    return (value ? QString::fromLocal8Bit(*value) : fallback).left(limit);
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

} // namespace ProfileIni
