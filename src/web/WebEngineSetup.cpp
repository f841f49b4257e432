#include "web/WebEngineSetup.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QStandardPaths>
#include <QUrl>
#include <QWebEngineCookieStore>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineUrlScheme>
#include <QWidget>

#include "web/AppSchemeHandler.h"
#include "web/CookieFileRepair.h"
#include "web/CookieJournal.h"
#include "web/CookieKeeper.h"
#include "web/PageDownloads.h"

const char *const WebEngineSetup::kAppScheme = "app";

namespace {

constexpr long long kBytesPerKb = 1024;
// The profiles of the further account slots in use.
QList<QPointer<QWebEngineProfile>> g_furtherSlots;

// Name of the profile and of its folders below the user's cache and data folders.
const char *const kProfileName = "fenlow";
// The journal of the cookie changes beside the engine's cookie file.
const char *const kCookieJournal = "/CookieChanges";

QString ProfileFolder(QStandardPaths::StandardLocation base)
{
    return QStandardPaths::writableLocation(base) + QStringLiteral("/") + QLatin1String(kProfileName)
        + QStringLiteral("/web");
}

} // namespace

void WebEngineSetup::BeforeApplication()
{
    RegisterAppScheme();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

void WebEngineSetup::RegisterAppScheme()
{
    if (QWebEngineUrlScheme::schemeByName(kAppScheme).name() == kAppScheme)
        return;
    QWebEngineUrlScheme scheme(kAppScheme);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
    QWebEngineUrlScheme::registerScheme(scheme);
}

QWebEngineProfile *WebEngineSetup::Profile()
{
    static QWebEngineProfile *const profile = [] {
        // A named profile keeps its cache and cookies on disk, which the engine's
        // default profile does not. It lives as long as the application object.
        const QString dataFolder = ProfileFolder(QStandardPaths::GenericDataLocation);
        const QString journal = dataFolder + QLatin1String(kCookieJournal);
        ReplayCookieJournal(dataFolder, journal);
        RemoveOldClearingCopies(dataFolder);
        QDir().mkpath(dataFolder);
        auto *configured = new QWebEngineProfile(QLatin1String(kProfileName), QCoreApplication::instance());
        configured->setCachePath(ProfileFolder(QStandardPaths::GenericCacheLocation));
        configured->setPersistentStoragePath(dataFolder);
        configured->setHttpCacheType(QWebEngineProfile::DiskHttpCache);
        Configure(configured);
        new CookieJournal(configured->cookieStore(), journal);
        return configured;
    }();
    return profile;
}

SlotProfile WebEngineSetup::FirstSlot()
{
    return SlotProfile(Profile(), [](QWebEngineProfile *) {});
}

SlotProfile WebEngineSetup::NewSlot()
{
    // A profile without a name is off the record: cookies, storage and HTTP cache in
    // memory only. Its parent frees it at the end should the event loop not run again.
    auto *profile = new QWebEngineProfile(QCoreApplication::instance());
    Configure(profile);
    g_furtherSlots << profile;
    return SlotProfile(profile, [](QWebEngineProfile *ended) {
        g_furtherSlots.removeAll(ended);
        // The pages it served are gone, but the engine may still be releasing them.
        ended->deleteLater();
    });
}

QList<QWebEngineProfile *> WebEngineSetup::SlotsInUse()
{
    QList<QWebEngineProfile *> profiles{Profile()};
    for (const QPointer<QWebEngineProfile> &profile : std::as_const(g_furtherSlots)) {
        if (profile)
            profiles << profile;
    }
    return profiles;
}

void WebEngineSetup::Configure(QWebEngineProfile *profile)
{
    // Session cookies stay in memory and go at the next start; the keeper brings them
    // (and any not yet written) back after a clearing of the HTTP cache.
    new CookieKeeper(profile->cookieStore(), !profile->isOffTheRecord());
    profile->installUrlSchemeHandler(kAppScheme, new AppSchemeHandler(profile));
    PageDownloads::Watch(profile);

    QWebEngineScript address;
    address.setName(QStringLiteral("fenlow-app-address"));
    address.setInjectionPoint(QWebEngineScript::DocumentCreation);
    address.setWorldId(kProgramWorld);
    address.setRunsOnSubFrames(true);
    address.setSourceCode(AddressScriptSource());
    profile->scripts()->insert(address);

    QWebEngineScript hooks;
    hooks.setName(QStringLiteral("fenlow-page-hooks"));
    hooks.setInjectionPoint(QWebEngineScript::DocumentCreation);
    hooks.setWorldId(QWebEngineScript::MainWorld);
    hooks.setRunsOnSubFrames(true);
    hooks.setSourceCode(ResourceText(QStringLiteral(":/web/scripts/page_hooks.js")));
    profile->scripts()->insert(hooks);
}

CookieKeeper *WebEngineSetup::Cookies()
{
    return Cookies(Profile());
}

CookieKeeper *WebEngineSetup::Cookies(QWebEngineProfile *profile)
{
    return profile->cookieStore()->findChild<CookieKeeper *>(QString(), Qt::FindDirectChildrenOnly);
}

QString WebEngineSetup::AddressScriptSource()
{
    // qwebchannel.js shares the function scope, so the page never sees QWebChannel.
    return QStringLiteral("(function () {\n") + ResourceText(QStringLiteral(":/qtwebchannel/qwebchannel.js"))
        + QStringLiteral("\n") + ResourceText(QStringLiteral(":/web/scripts/app_address.js"))
        + QStringLiteral("\n})();\n");
}

QString WebEngineSetup::ResourceText(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

QString WebEngineSetup::ErrorPageHtml(int pageId, const QUrl &failedUrl)
{
    return PageHtml(QStringLiteral(":/web/pages/%1.html").arg(pageId), failedUrl, {});
}

QString WebEngineSetup::GameErrorPageHtml(const QString &heading, const QString &text, const QUrl &gameUrl)
{
    return PageHtml(QStringLiteral(":/web/pages/game.html"), gameUrl,
                    {{QStringLiteral("HEADING"), heading}, {QStringLiteral("TEXT"), text}});
}

bool WebEngineSetup::IsFailedConnection(QWebEngineLoadingInfo::ErrorDomain domain)
{
    switch (domain) {
    case QWebEngineLoadingInfo::ConnectionErrorDomain:
    case QWebEngineLoadingInfo::DnsErrorDomain:
    case QWebEngineLoadingInfo::CertificateErrorDomain:
    case QWebEngineLoadingInfo::HttpErrorDomain:
        return true;
    default:
        return false;
    }
}

QString WebEngineSetup::PageHtml(const QString &resource, const QUrl &failedUrl, const QHash<QString, QString> &texts)
{
    QString html = ResourceText(resource);
    if (html.isEmpty())
        return {};
    const bool retryable = failedUrl.scheme() == QLatin1String("http") || failedUrl.scheme() == QLatin1String("https");
    const QString retry = retryable ? failedUrl.toString(QUrl::FullyEncoded).toHtmlEscaped() : QStringLiteral("#");
    html.replace(QStringLiteral("{{HEAD}}"), ResourceText(QStringLiteral(":/web/pages/head.html")));
    html.replace(QStringLiteral("{{STYLE}}"), ResourceText(QStringLiteral(":/web/pages/error.css")));
    html.replace(QStringLiteral("{{RETRY}}"), retry);
    for (auto text = texts.cbegin(); text != texts.cend(); ++text)
        html.replace(QStringLiteral("{{%1}}").arg(text.key()), text.value().toHtmlEscaped());
    return html;
}

bool SetBrowserCacheLimit()
{
    QWebEngineProfile *profile = WebEngineSetup::Profile();
    profile->setHttpCacheMaximumSize(static_cast<int>(WebEngineSetup::kCacheLimitKb * kBytesPerKb));
    return profile->httpCacheMaximumSize() == WebEngineSetup::kCacheLimitKb * kBytesPerKb;
}

void DeleteEveryPage()
{
    QList<QPointer<QWebEnginePage>> pages;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        for (QWebEnginePage *page : window->findChildren<QWebEnginePage *>())
            pages.append(page);
    }
    // A page may own the pages of windows it opened: those go with it.
    for (const QPointer<QWebEnginePage> &page : pages)
        delete page.data();
}
