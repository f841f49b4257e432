#include "web/BrowserCache.h"

#include <thread>

#include <QDir>
#include <QWebEngineProfile>

#include "web/CookieKeeper.h"
#include "web/DeleteFolderTree.h"
#include "web/WebEngineSetup.h"

void StartBrowserCacheClearing()
{
    QWebEngineProfile *profile = WebEngineSetup::Profile();
    profile->clearHttpCache();
    WebEngineSetup::Cookies()->RestoreAfterClearing();
    std::thread([folder = profile->cachePath()] { ClearBrowserCache(folder); }).detach();
}

bool ClearBrowserCache(const QString &folder)
{
    if (folder.isEmpty())
        return false;
    const bool deleted = DeleteFolderTree(folder);
    const int error = errno;
    QDir().mkpath(folder);
    errno = error;
    return deleted;
}
