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

} // namespace

namespace ProfileIni {

std::optional<QByteArray> ReadBytes(const QString &path, const char *section, const char *key)
{
    Ini ini;
    if (LoadIni(path, ini) != Load::Loaded)
        return std::nullopt;
    const char *value = ini.GetValue(section, key, nullptr);
    if (!value)
        return std::nullopt;
    return QByteArray(value);
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
