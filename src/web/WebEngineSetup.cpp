#include "web/WebEngineSetup.h"

#include <QCoreApplication>
#include <QFile>
#include <QUrl>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineUrlScheme>

#include "web/AppSchemeHandler.h"

const char *const WebEngineSetup::kAppScheme = "app";

namespace {

constexpr long long kBytesPerKb = 1024;

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
        QWebEngineProfile *configured = QWebEngineProfile::defaultProfile();
        configured->installUrlSchemeHandler(kAppScheme, new AppSchemeHandler(configured));

        QWebEngineScript script;
        script.setName(QStringLiteral("fenlow-app-address"));
        script.setInjectionPoint(QWebEngineScript::DocumentCreation);
        script.setWorldId(QWebEngineScript::MainWorld);
        script.setRunsOnSubFrames(true);
        script.setSourceCode(AddressScriptSource());
        configured->scripts()->insert(script);
        return configured;
    }();
    return profile;
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
    const bool retryable = failedUrl.scheme() == QLatin1String("http") || failedUrl.scheme() == QLatin1String("https");
    const QString retry = retryable ? failedUrl.toString(QUrl::FullyEncoded).toHtmlEscaped() : QStringLiteral("#");
    return ResourceText(QStringLiteral(":/web/pages/%1.html").arg(pageId)).replace(QStringLiteral("{{RETRY}}"), retry);
}

bool SetBrowserCacheLimit()
{
    QWebEngineProfile *profile = WebEngineSetup::Profile();
    profile->setHttpCacheMaximumSize(static_cast<int>(WebEngineSetup::kCacheLimitKb * kBytesPerKb));
    return profile->httpCacheMaximumSize() == WebEngineSetup::kCacheLimitKb * kBytesPerKb;
}
