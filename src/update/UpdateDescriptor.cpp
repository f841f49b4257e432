#include "update/UpdateDescriptor.h"

#include "base/ProfileIni.h"

namespace {

constexpr char kSection[] = "VerKey";
constexpr char kAddressKey[] = "UpdAddr";
constexpr qsizetype kMaxVersion = 63;
constexpr qsizetype kMaxAddress = 511;

QString Value(const QString &path, const char *key, qsizetype limit)
{
    return QString::fromUtf8(ProfileIni::ReadBytes(path, kSection, key).value_or(QByteArray())).left(limit);
}

} // namespace

UpdateDescriptor UpdateDescriptor::Read(const QString &path, const QString &versionKey)
{
    return {Value(path, versionKey.toUtf8().constData(), kMaxVersion), Value(path, kAddressKey, kMaxAddress)};
}
