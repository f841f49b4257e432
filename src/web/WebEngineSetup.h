#pragma once

class QWebEngineProfile;
class QString;
class QUrl;

// The one place that configures the embedded web engine for the whole process: the
// "app" scheme, the shared profile with its address script, and the HTTP cache size.
class WebEngineSetup
{
public:
    // Name of the program's command protocol ("app://...").
    static const char *const kAppScheme;
    // Browser cache limit in kilobytes, applied to the profile's HTTP cache.
    static constexpr long long kCacheLimitKb = 1048576;

    // Everything the engine needs before the QApplication exists: the "app" scheme and
    // shared OpenGL contexts. Call it before constructing the QApplication.
    static void BeforeApplication();

    // Registers the "app" scheme with the engine. Must run before the QApplication
    // exists; later calls do nothing.
    static void RegisterAppScheme();

    // The profile every page of the program uses, configured on first use: a handler
    // that fails every "app" request, and the address script in every frame of every
    // document. Needs the QApplication.
    static QWebEngineProfile *Profile();

    // Text of the script injected at document creation into every frame: it cancels
    // each navigation to an "app:" address and hands the exact address text to the
    // program through the page's web channel.
    static QString AddressScriptSource();

    // The text of a script or page resource (UTF-8); empty when it cannot be read.
    static QString ResourceText(const QString &path);

    // Resource number of the program's own error page.
    static constexpr int kErrorPage = 150;

    // The page resource numbered `pageId`, shown where `failedUrl` could not be shown,
    // with its reconnect link pointing at `failedUrl` (http and https only); empty
    // without such a resource.
    static QString ErrorPageHtml(int pageId, const QUrl &failedUrl);
};

// Sets the profile's HTTP cache size to the browser cache limit. Answers whether the
// size now in force is that limit.
bool SetBrowserCacheLimit();
