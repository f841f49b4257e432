#pragma once

#include <optional>

#include <QString>

// An http or https address taken apart the way the fetch routine uses it.
struct HttpUrlParts {
    bool secure = false; // "https://"
    QString host;        // up to the first "/" (or ":"), at most 259 characters
    quint16 port = 80;   // after a ":" in the host part; else 80 (443 for https)
    QString object;      // everything after that first "/", without it; at most 511 characters
};

inline constexpr qsizetype kMaxHostLength = 259;
inline constexpr qsizetype kMaxObjectLength = 511;

// Splits `address`. No value for any scheme but http and https (compared without case),
// an empty host or one with other characters than letters, digits, "-", "_" and ".", a port that is not a number from 1 to 65535, a host over 259 or an
// object name over 511 characters.
std::optional<HttpUrlParts> SplitHttpUrl(const QString &address);

// The address rebuilt from its parts, as handed to the transfer.
QString JoinHttpUrl(const HttpUrlParts &parts);

// True when `address` names exactly the scheme, host and port of `origin` (an address
// such as "http://down.example:8080"); host names compare without case. Text elsewhere in the
// address (a path or query that mentions the host) plays no part.
bool IsOnHost(const QString &address, const QString &origin);
