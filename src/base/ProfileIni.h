#pragma once

#include <optional>

#include <QByteArray>
#include <QString>

// Key-value files read and written with the platform's profile semantics: sections and
// keys compared without case, the first of repeated keys wins, values trimmed, and a
// rewrite keeps every other section, key and comment. The file's bytes are kept as they
// are, in whatever 8-bit encoding it has; a file over 1 MiB or holding a NUL byte is not
// read as text.
namespace ProfileIni {

// The raw value of `key` in `section` of the file content `text`; nullopt when the
// section or the key is missing or `text` cannot be read as text.
std::optional<QByteArray> ValueIn(const QByteArray &text, const char *section, const char *key);

// The raw value of `key` in `section` of the file at `path`; nullopt when the file, the
// section or the key is missing or the file cannot be read as text.
std::optional<QByteArray> ReadBytes(const QString &path, const char *section, const char *key);

// The value decoded from the locale's 8-bit encoding, or `fallback`, cut to `limit`
// characters (what a buffer of `limit` + 1 characters holds).
QString ReadValue(const QString &path, const char *section, const char *key, const QString &fallback,
                  qsizetype limit);

// Sets `key` in `section` of the file at `path`. The new file is written beside the old
// one and renamed over it, so a failed write leaves the old file whole. Fails without
// touching anything when the existing file cannot be read as text.
bool WriteValue(const QString &path, const char *section, const char *key, const QString &value);

} // namespace ProfileIni
