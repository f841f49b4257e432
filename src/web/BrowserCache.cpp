#include "web/BrowserCache.h"

#include <thread>

#include <QDir>
#include <QEventLoop>
#include <QPointer>
#include <QWebEngineProfile>

#include "web/CookieKeeper.h"
#include "web/DeleteFolderTree.h"
#include "web/WebEngineSetup.h"

void StartBrowserCacheClearing()
{
    // Every account slot's cache goes, and every slot keeps its own cookies.
    for (QWebEngineProfile *profile : WebEngineSetup::SlotsInUse()) {
        WebEngineSetup::Cookies(profile)->ClearKeepingCookies([profile] {
            profile->clearHttpCache();
            // A slot kept in memory has no cache folder.
            if (!profile->isOffTheRecord())
                std::thread([folder = profile->cachePath()] { ClearBrowserCache(folder); }).detach();
        });
    }
}

void AwaitBrowserCacheClearing()
{
    // A slot whose last window closes meanwhile takes its profile and keeper with it.
    QList<QPointer<CookieKeeper>> keepers;
    for (QWebEngineProfile *profile : WebEngineSetup::SlotsInUse())
        keepers << WebEngineSetup::Cookies(profile);
    for (const QPointer<CookieKeeper> &keeper : std::as_const(keepers)) {
        if (!keeper)
            continue;
        QEventLoop loop;
        QObject::connect(keeper, &CookieKeeper::cookiesRestored, &loop, &QEventLoop::quit);
        QObject::connect(keeper, &QObject::destroyed, &loop, &QEventLoop::quit);
        while (keeper && keeper->IsRestoring())
            loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
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
