#include "update/DescriptorSignature.h"

#include <memory>

#include <openssl/evp.h>

#include <QList>

namespace {

struct PkeyFree {
    void operator()(EVP_PKEY *key) const { EVP_PKEY_free(key); }
};
struct MdCtxFree {
    void operator()(EVP_MD_CTX *context) const { EVP_MD_CTX_free(context); }
};

const QByteArray kSignaturePrefix = QByteArray(kSignatureKey) + '=';

// `bytes` without one final line break (LF or CR LF).
QByteArray WithoutFinalLineBreak(const QByteArray &bytes)
{
    if (bytes.endsWith("\r\n"))
        return bytes.chopped(2);
    if (bytes.endsWith('\n'))
        return bytes.chopped(1);
    return bytes;
}

} // namespace

DescriptorKey DescriptorKey::FromSetting(const std::optional<QString> &text)
{
    if (!text)
        return {};
    const std::optional<QByteArray> key = DecodeBase64Exactly(text->trimmed().toUtf8(), kEd25519KeyBytes);
    if (!key)
        return {Kind::Invalid, {}};
    return {Kind::Valid, *key};
}

std::optional<QByteArray> DecodeBase64Exactly(const QByteArray &text, qsizetype size)
{
    const auto decoded = QByteArray::fromBase64Encoding(text, QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.size() != size || decoded.decoded.toBase64() != text)
        return std::nullopt;
    return decoded.decoded;
}

bool SetsSignature(const QByteArray &text)
{
    for (const QByteArray &line : text.split('\n')) {
        const qsizetype equals = line.indexOf('=');
        if (equals >= 0 && line.left(equals).trimmed().compare(kSignatureKey, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

std::optional<QByteArray> VerifiedDescriptorBody(const QByteArray &bytes, const DescriptorKey &key)
{
    if (key.kind == DescriptorKey::Kind::None)
        return bytes;
    if (key.kind == DescriptorKey::Kind::Invalid)
        return std::nullopt;
    const QByteArray content = WithoutFinalLineBreak(bytes);
    const qsizetype lineStart = content.lastIndexOf('\n') + 1;
    const QByteArray line = content.mid(lineStart);
    const QByteArray body = bytes.left(lineStart);
    if (!line.startsWith(kSignaturePrefix) || SetsSignature(body))
        return std::nullopt;
    const std::optional<QByteArray> signature =
        DecodeBase64Exactly(line.mid(kSignaturePrefix.size()), kEd25519SignatureBytes);
    if (!signature || !VerifyEd25519(key.publicKey, body, *signature))
        return std::nullopt;
    return body;
}

bool VerifyEd25519(const QByteArray &publicKey, const QByteArray &message, const QByteArray &signature)
{
    if (publicKey.size() != kEd25519KeyBytes || signature.size() != kEd25519SignatureBytes)
        return false;
    const std::unique_ptr<EVP_PKEY, PkeyFree> key(EVP_PKEY_new_raw_public_key(
        EVP_PKEY_ED25519, nullptr, reinterpret_cast<const unsigned char *>(publicKey.constData()), kEd25519KeyBytes));
    const std::unique_ptr<EVP_MD_CTX, MdCtxFree> context(EVP_MD_CTX_new());
    if (!key || !context || EVP_DigestVerifyInit(context.get(), nullptr, nullptr, nullptr, key.get()) != 1)
        return false;
    return EVP_DigestVerify(context.get(), reinterpret_cast<const unsigned char *>(signature.constData()),
                            size_t(signature.size()), reinterpret_cast<const unsigned char *>(message.constData()),
                            size_t(message.size()))
        == 1;
}
