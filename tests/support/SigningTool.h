#pragma once

#include <QByteArray>
#include <QString>

// The platform's signing tool (fenlow-sign) run as a process, as the platform runs it.
namespace SigningTool {

// A key pair made by `fenlow-sign --new-key`: the private key file and the public key's
// base64 text from the file beside it.
struct KeyPair {
    QString keyFile;
    QString publicKey;
};

// Makes `folder`/`name` and its ".pub"; an empty public key when the tool failed.
KeyPair NewKeyPair(const QString &folder, const QString &name);

// `fenlow-sign keyFile < descriptor`; empty when the tool failed.
QByteArray Sign(const QString &keyFile, const QByteArray &descriptor);

// "[Update]\nPublicKey=" + key + "\n": the part of Platform.ini that names a key.
QByteArray PlatformIniKey(const QString &publicKey);

} // namespace SigningTool
