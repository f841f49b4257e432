#include "web/BrowserCache.h"

#include <thread>

#include <QDir>
#include <QEventLoop>
#include <QWebEngineProfile>

#include "web/CookieKeeper.h"
#include "web/DeleteFolderTree.h"
#include "web/WebEngineSetup.h"

void StartBrowserCacheClearing()
{
    QWebEngineProfile *profile = WebEngineSetup::Profile();
    WebEngineSetup::Cookies()->ClearKeepingCookies([profile] {
        profile->clearHttpCache();
        std::thread([folder = profile->cachePath()] { ClearBrowserCache(folder); }).detach();
    });
}

void AwaitBrowserCacheClearing()
{
    CookieKeeper *keeper = WebEngineSetup::Cookies();
    QEventLoop loop;
    QObject::connect(keeper, &CookieKeeper::cookiesRestored, &loop, &QEventLoop::quit);
    while (keeper->IsRestoring())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
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
