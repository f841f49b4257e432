#pragma once

#include <optional>

#include <QByteArray>

#include "HttpResponse.h"

// The page `name` of the embedded site ("login", "game", "portal", "forum", "pay", "kf"),
// served from ":/www/<name>/index.html".
HttpResponse SitePage(const char *name);

// A shared style sheet, script or picture under "/static/"; nothing for other paths, and
// a 404 page for a name the site does not hold.
std::optional<HttpResponse> StaticAsset(const QByteArray &path);

// The Content-Type for a file name by its extension.
QByteArray ContentTypeFor(const QByteArray &fileName);
