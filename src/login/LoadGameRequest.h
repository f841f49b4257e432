#pragma once

#include <QString>
#include <QStringList>

// What a "loadgame" command asks for: the account and server to log in, and the game
// page address (the whole parameter text after "|").
struct LoadGameRequest {
    QString account;
    QString server;
    QString pageAddress;

    // Reads the request from a command's argument list: account and server from
    // entries 1 and 2 when present, else from the parameter text's "account=" and
    // "server_id=" values; an account or server containing "%" is percent-decoded.
    static LoadGameRequest FromArguments(const QStringList &argv);
};

// Longest account text, in bytes, that is percent-decoded; longer text is cut there first
// (never inside a "%XX" escape).
inline constexpr int kMaxEncodedAccountBytes = 127;

// The text after the first `key` (such as "account=") in `parameters` up to the next "&"
// or the end; empty when `key` does not occur.
QString ParameterValue(const QString &parameters, const QString &key);

// Percent-decodes `account` when it contains "%" and reads the bytes as UTF-8. A "%" not
// followed by two hex digits stays as it is; bytes that are not valid UTF-8 become
// U+FFFD; an incomplete character at the end (as the length limit may leave) is dropped.
QString DecodeAccount(const QString &account);

// The notice shown when `account` is already logged in on `server`.
QString DuplicateLoginMessage(const QString &account, const QString &server);
