#pragma once

#include <functional>

#include <QString>
#include <QUrl>

// What becomes of everything a hosted page (login or game page, any frame) opens outside
// itself: the windows it opens and the files it downloads. Both page hosts follow these
// rules through HostWebPage and PageDownloads.

// What a window the page opened does with a navigation.
enum class OpenedWindowAction {
    Wait,    // an empty document ("about:blank"): the script that opened it may send it on
    Command, // an "app:" address (or one the engine could not parse): a command of the opener
    Desktop, // an http(s) address: handed to the desktop's browser
    Drop,    // anything else (file:, data:, javascript:, other schemes): never leaves
};
OpenedWindowAction DecideOpenedWindow(const QUrl &url);

// The name a download is saved under, from the name the server gave: its last path
// part, without control characters, leading dots or spaces (a saved file is never
// hidden), at most kMaxDownloadNameBytes bytes of UTF-8 with its extension kept;
// "download" when nothing is left.
inline constexpr int kMaxDownloadNameBytes = 200;
QString CleanDownloadName(const QString &serverName);

// `name`, or the first of "stem (2).ext", "stem (3).ext", ... that `taken` says is free.
QString UniqueDownloadName(const QString &name, const std::function<bool(const QString &)> &taken);
