#pragma once

#include <memory>

#include <QHash>
#include <QList>
#include <QWebEngineLoadingInfo>
#include <QWebEngineScript>

class CookieKeeper;
class QWebEngineProfile;
class QString;
class QUrl;

// A web profile as the windows of one account slot hold it: the slot's profile lives as
// long as any of its windows does, and goes from the event loop after the last one, so
// that it outlives every page it served.
using SlotProfile = std::shared_ptr<QWebEngineProfile>;

// The one place that configures the embedded web engine for the whole process: the
// "app" scheme, the profiles of the account slots with their address script and their
// cookies, and the HTTP cache size.
class WebEngineSetup
{
public:
    // Name of the program's command protocol ("app://...").
    static const char *const kAppScheme;
    // The script world of the program's own page scripts and of the web channel: the
    // page's scripts share the document with them but cannot reach them.
    static constexpr QWebEngineScript::ScriptWorldId kProgramWorld = QWebEngineScript::ApplicationWorld;
    // Browser cache limit in kilobytes, applied to the profile's HTTP cache.
    static constexpr long long kCacheLimitKb = 1048576;

    // Everything the engine needs before the QApplication exists: the "app" scheme and
    // shared OpenGL contexts. Call it before constructing the QApplication.
    static void BeforeApplication();

    // Registers the "app" scheme with the engine. Must run before the QApplication
    // exists; later calls do nothing.
    static void RegisterAppScheme();

    // The profile of the first login and its game page, configured on first use: named
    // and persistent (HTTP cache below the user's cache folder, cookies and storage below
    // the user's data folder) and set up by Configure. Needs the QApplication.
    static QWebEngineProfile *Profile();
    // The first account slot's profile, the persistent one above.
    static SlotProfile FirstSlot();
    // A new, empty store of cookies and storage for a further account slot, set up as
    // the persistent profile is but kept in memory only: nothing of it reaches the disk,
    // and its session ends when the last window holding it goes.
    static SlotProfile NewSlot();
    // The profiles of every account slot in use, the persistent one first.
    static QList<QWebEngineProfile *> SlotsInUse();

    // Gives `profile` everything a page of the program relies on: the handler that fails
    // every "app" request, the address script (program world) and the page hooks (page
    // world) in every frame of every document, the saving of its downloads and the
    // keeper of its cookies.
    static void Configure(QWebEngineProfile *profile);

    // The keeper of the persistent profile's cookies.
    static CookieKeeper *Cookies();
    // The keeper of `profile`'s cookies; none for a profile Configure never saw.
    static CookieKeeper *Cookies(QWebEngineProfile *profile);

    // Text of the script injected at document creation into every frame: the top frame
    // cancels its navigations to "app:" addresses and reports their exact text through the
    // page's web channel; every frame offers the texts it sees on their way to other
    // navigations, for the program to pair with the ones it refused.
    static QString AddressScriptSource();

    // The text of a script or page resource (UTF-8); empty when it cannot be read.
    static QString ResourceText(const QString &path);

    // Resource number of the program's own error page.
    static constexpr int kErrorPage = 150;

    // The page resource numbered `pageId`, shown where `failedUrl` could not be shown,
    // with its reconnect link pointing at `failedUrl` (http and https only); empty
    // without such a resource.
    static QString ErrorPageHtml(int pageId, const QUrl &failedUrl);

    // The game page host's own page for a page that could not be shown: its heading and
    // text say why, its reload action (focused, so Enter takes it) loads `gameUrl`.
    static QString GameErrorPageHtml(const QString &heading, const QString &text, const QUrl &gameUrl);

    // The engine's error for a navigation replaced by another one, or refused: no failure.
    static constexpr int kAbortedError = -3;
    // Whether a load failed because no usable answer came from the server (as opposed to
    // an answer with an error status, which is a page of its own).
    static bool IsFailedConnection(QWebEngineLoadingInfo::ErrorDomain domain);

private:
    // The page `resource` with the shared error page head and style, its reconnect address for
    // `failedUrl` and `texts` (HTML-escaped) in place of their {{KEY}} marks.
    static QString PageHtml(const QString &resource, const QUrl &failedUrl, const QHash<QString, QString> &texts);
};

// Sets the profile's HTTP cache size to the browser cache limit. Answers whether the
// size now in force is that limit.
bool SetBrowserCacheLimit();

// Deletes every web page of the program's windows now, while the windows stay: the end
// after the window system went away, where no window can close in order but the pages
// must go before the profile so that it writes its cookies and storage to disk.
void DeleteEveryPage();
