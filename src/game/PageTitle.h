#pragma once

#include <optional>

#include <QString>

// The caption text a game page's document title gives its tab. Empty optional when the
// title must be ignored: a title that still contains "http" is the page's address, not
// its name. A title with the game marker "翼川记-" keeps only what follows the marker and
// the one character after it ("岚汐翼川记- 名字" gives "名字").
std::optional<QString> CleanPageTitle(const QString &rawTitle, const QString &pageAddress = {});

// The tab caption of a page once it has a title: server + "服-" + title + "-" + account.
QString BuildTabCaption(const QString &server, const QString &title, const QString &account);
