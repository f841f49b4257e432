#include "update/UpdateDescriptor.h"

#include <QFile>

#include "base/ProfileIni.h"

namespace {

constexpr char kSection[] = "VerKey";
constexpr char kAddressKey[] = "UpdAddr";
constexpr char kSha256Key[] = "SHA256";
constexpr qsizetype kMaxVersion = 63;
constexpr qsizetype kMaxAddress = 511;
// Longer than any digest: a longer value is cut but can never match.
constexpr qsizetype kMaxSha256 = 128;

QString Value(const QByteArray &body, const char *key, qsizetype limit)
{
    return QString::fromUtf8(ProfileIni::ValueIn(body, kSection, key).value_or(QByteArray())).left(limit);
}

} // namespace

std::optional<UpdateDescriptor> UpdateDescriptor::Read(const QString &path, const QString &versionKey,
                                                       const DescriptorKey &key)
{
    if (key.kind == DescriptorKey::Kind::Invalid) {
        qWarning("fenlow: the PublicKey of section [Update] in Platform.ini is not a 32-byte key in standard "
                 "base64; every update and download is refused");
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const std::optional<QByteArray> body = VerifiedDescriptorBody(file.readAll(), key);
    if (!body)
        return std::nullopt;
    return UpdateDescriptor{Value(*body, versionKey.toUtf8().constData(), kMaxVersion),
                            Value(*body, kAddressKey, kMaxAddress), Value(*body, kSha256Key, kMaxSha256),
                            key.kind == DescriptorKey::Kind::Valid};
}
