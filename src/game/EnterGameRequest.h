#pragma once

#include <optional>

#include <QString>

// What a game page asks for with an "app://entergame|" address: start the launcher of
// another game, or, when it is not installed, offer its download or open a page in the
// user's browser.
struct EnterGameRequest {
    QString name;        // the launcher's name, first letter upper-cased ("Ycj")
    QString browserPage; // the page to open in the user's browser instead
};

inline constexpr char kEnterGamePrefix[] = "app://entergame|";

// True when `address` is an entergame request (the prefix at its start).
bool IsEnterGameAddress(const QString &address);

// Reads an entergame address: the text after the prefix is the name, optionally followed
// by "|" and the page address; every "/" is removed from the name and a lower-case first
// letter is upper-cased. The browser page is the given page when it is an http or https
// address, otherwise `portalPage`. No value for an address without the prefix or with an
// empty name.
std::optional<EnterGameRequest> ParseEnterGameRequest(const QString &address, const QString &portalPage);

// The launcher's file inside `installFolder`: name + ".exe". Empty when the folder is
// unknown or the path would exceed the path limit of 260 characters.
QString LauncherPath(const QString &installFolder, const QString &name);
