#pragma once

#include <QString>

// Starts clearing the program's browser cache and returns at once: the HTTP cache of
// every account slot's profile is cleared (each slot keeps its own cookies, and with them
// its login), then a worker that nothing waits for empties the persistent profile's cache
// folder. The engine restarts a profile's network context for the clearing; the
// profile's CookieKeeper emits cookiesRestored() once the restarted context holds the
// cookies again. Call it on the GUI thread; calling it again while a
// clearing runs is harmless.
void StartBrowserCacheClearing();

// Handles every event but the user's input until the running clearings have the cookies
// back, so that what the user does next sends the login again; returns at once when no
// clearing runs.
void AwaitBrowserCacheClearing();

// The worker's part: deletes the cache folder `folder` with DeleteFolderTree and makes
// it again, empty, for the running engine. Answers DeleteFolderTree's result, false when
// no folder is named.
bool ClearBrowserCache(const QString &folder);
