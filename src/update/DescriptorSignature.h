#pragma once

#include <optional>

#include <QByteArray>
#include <QString>

// The platform's key for descriptors, as "Platform.ini" names it (section "Update", key
// "PublicKey"): none, a 32-byte Ed25519 public key in standard base64, or a text that is
// neither. A key that cannot be read refuses every descriptor; it never means "unsigned".
struct DescriptorKey {
    enum class Kind { None, Valid, Invalid };
    Kind kind = Kind::None;
    QByteArray publicKey; // the 32 key bytes when valid

    // No setting is no key; any text but a valid key, blank included, is invalid.
    static DescriptorKey FromSetting(const std::optional<QString> &text);
};

inline constexpr qsizetype kEd25519KeyBytes = 32;
inline constexpr qsizetype kEd25519SignatureBytes = 64;
inline constexpr char kSignatureKey[] = "Signature";

// The bytes of `text` when it is the canonical standard base64 (with its padding, no
// blanks, no other alphabet) of exactly `size` bytes.
std::optional<QByteArray> DecodeBase64Exactly(const QByteArray &text, qsizetype size);

// True when a line of `text` sets the key "Signature" as the INI reader would see it:
// names compare without case, blanks around them do not count.
bool SetsSignature(const QByteArray &text);

// What of a descriptor the INI reader may see. Without a key: all of `bytes`. With a
// key: the bytes before the last line, which must be "Signature=" and the base64 of the
// 64-byte Ed25519 signature of exactly those bytes (line break included), optionally
// followed by one line break; nothing else may set "Signature". Nothing when that does
// not hold or the key is invalid.
std::optional<QByteArray> VerifiedDescriptorBody(const QByteArray &bytes, const DescriptorKey &key);

// True when `signature` is the Ed25519 signature of `message` under the 32-byte `publicKey`.
bool VerifyEd25519(const QByteArray &publicKey, const QByteArray &message, const QByteArray &signature);
