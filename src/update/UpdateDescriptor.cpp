#include "update/UpdateDescriptor.h"

// The descriptor is read as UTF-8 bytes; no wide-character conversion is needed.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

#include <QFile>

namespace {

constexpr char kSection[] = "VerKey";
constexpr char kAddressKey[] = "UpdAddr";
constexpr qsizetype kMaxVersion = 63;
constexpr qsizetype kMaxAddress = 511;

QString Value(const CSimpleIniA &ini, const char *key, qsizetype limit)
{
    return QString::fromUtf8(ini.GetValue(kSection, key, "")).trimmed().left(limit);
}

} // namespace

UpdateDescriptor UpdateDescriptor::Read(const QString &path, const QString &versionKey)
{
    CSimpleIniA ini;
    if (ini.LoadFile(QFile::encodeName(path).constData()) < 0)
        return {};
    return {Value(ini, versionKey.toUtf8().constData(), kMaxVersion), Value(ini, kAddressKey, kMaxAddress)};
}
