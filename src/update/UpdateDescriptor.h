#pragma once

#include <QString>

// What the platform's descriptor says about a release: section "VerKey", the MD5 of its
// executable under the game's key ("ycj" for this launcher) and its address ("UpdAddr").
struct UpdateDescriptor {
    QString version; // at most 63 characters; empty when the descriptor had none
    QString address; // at most 511 characters

    // Reads the INI file at `path` as the profile functions do (section and key names
    // without case, values trimmed, the first of repeated keys wins); `versionKey` names
    // the version's key. Missing keys and an unreadable file give empty texts.
    static UpdateDescriptor Read(const QString &path, const QString &versionKey);
};
