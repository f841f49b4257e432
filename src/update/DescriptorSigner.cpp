#include "update/DescriptorSigner.h"

#include <openssl/evp.h>
#include <openssl/pem.h>

#include "update/DescriptorSignature.h"

namespace {

struct BioFree {
    void operator()(BIO *bio) const { BIO_free(bio); }
};
struct MdCtxFree {
    void operator()(EVP_MD_CTX *context) const { EVP_MD_CTX_free(context); }
};

QByteArray LineBreakOf(const QByteArray &descriptor)
{
    return descriptor.contains("\r\n") ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n");
}

} // namespace

void DescriptorSigner::KeyFree::operator()(EVP_PKEY *key) const
{
    EVP_PKEY_free(key);
}

DescriptorSigner::DescriptorSigner(EVP_PKEY *key) : m_key(key) {}
DescriptorSigner::DescriptorSigner(DescriptorSigner &&) noexcept = default;
DescriptorSigner::~DescriptorSigner() = default;

std::optional<DescriptorSigner> DescriptorSigner::Generate()
{
    EVP_PKEY *key = EVP_PKEY_Q_keygen(nullptr, nullptr, "ED25519");
    if (!key)
        return std::nullopt;
    return DescriptorSigner(key);
}

std::optional<DescriptorSigner> DescriptorSigner::FromPem(const QByteArray &pem)
{
    const std::unique_ptr<BIO, BioFree> bio(BIO_new_mem_buf(pem.constData(), int(pem.size())));
    EVP_PKEY *key = bio ? PEM_read_bio_PrivateKey(bio.get(), nullptr, nullptr, nullptr) : nullptr;
    if (!key)
        return std::nullopt;
    DescriptorSigner signer(key);
    if (EVP_PKEY_get_id(key) != EVP_PKEY_ED25519)
        return std::nullopt;
    return signer;
}

QByteArray DescriptorSigner::PrivateKeyPem() const
{
    const std::unique_ptr<BIO, BioFree> bio(BIO_new(BIO_s_mem()));
    if (!bio || PEM_write_bio_PrivateKey(bio.get(), m_key.get(), nullptr, nullptr, 0, nullptr, nullptr) != 1)
        return {};
    char *data = nullptr;
    const long size = BIO_get_mem_data(bio.get(), &data);
    return QByteArray(data, qsizetype(size));
}

QByteArray DescriptorSigner::PublicKeyBase64() const
{
    QByteArray key(kEd25519KeyBytes, '\0');
    size_t size = size_t(key.size());
    if (EVP_PKEY_get_raw_public_key(m_key.get(), reinterpret_cast<unsigned char *>(key.data()), &size) != 1
        || size != size_t(kEd25519KeyBytes))
        return {};
    return key.toBase64();
}

QByteArray DescriptorSigner::Sign(const QByteArray &message) const
{
    QByteArray signature(kEd25519SignatureBytes, '\0');
    size_t size = size_t(signature.size());
    const std::unique_ptr<EVP_MD_CTX, MdCtxFree> context(EVP_MD_CTX_new());
    if (!context || EVP_DigestSignInit(context.get(), nullptr, nullptr, nullptr, m_key.get()) != 1
        || EVP_DigestSign(context.get(), reinterpret_cast<unsigned char *>(signature.data()), &size,
                          reinterpret_cast<const unsigned char *>(message.constData()), size_t(message.size()))
            != 1)
        return {};
    return signature;
}

std::optional<QByteArray> DescriptorSigner::SignDescriptor(const QByteArray &descriptor) const
{
    if (SetsSignature(descriptor))
        return std::nullopt;
    const QByteArray lineBreak = LineBreakOf(descriptor);
    QByteArray body = descriptor;
    if (!body.isEmpty() && !body.endsWith('\n'))
        body += lineBreak;
    const QByteArray signature = Sign(body);
    if (signature.isEmpty())
        return std::nullopt;
    return body + kSignatureKey + '=' + signature.toBase64() + lineBreak;
}
