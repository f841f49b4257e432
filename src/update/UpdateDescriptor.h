#pragma once

#include <optional>

#include <QString>

#include "update/DescriptorSignature.h"

// What the platform's descriptor says about a release: section "VerKey", the MD5 of its
// file under the game's key ("ycj" for this launcher), its address ("UpdAddr") and,
// optionally, its SHA-256 ("SHA256").
struct UpdateDescriptor {
    QString version; // at most 63 characters; empty when the descriptor had none
    QString address; // at most 511 characters
    QString sha256{}; // 64 hexadecimal digits, or empty
    bool signedByPlatform = false; // its signature was checked against the platform's key

    // Reads the INI file at `path` as the profile functions do (section and key names
    // without case, values trimmed, the first of repeated keys wins); `versionKey` names
    // the version's key. Missing keys give empty texts. Nothing when the file cannot be
    // read or, with a platform `key`, is not signed by it (VerifiedDescriptorBody); an
    // invalid key says so on stderr.
    static std::optional<UpdateDescriptor> Read(const QString &path, const QString &versionKey,
                                                const DescriptorKey &key);
};
