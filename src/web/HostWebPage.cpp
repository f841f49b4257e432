#include "web/HostWebPage.h"

#include <QLoggingCategory>
#include <QWebChannel>
#include <QWebEngineScript>

#include "web/AppAddressBridge.h"
#include "web/WebEngineSetup.h"

namespace {

Q_LOGGING_CATEGORY(lcPageScript, "fenlow.page.script", QtWarningMsg)

} // namespace

HostWebPage::HostWebPage(QObject *parent)
    : QWebEnginePage(WebEngineSetup::Profile(), parent)
    , m_channel(new QWebChannel(this))
    , m_bridge(new AppAddressBridge(this))
{
    m_channel->registerObject(QString::fromLatin1(AppAddressBridge::kChannelName), m_bridge);
    setWebChannel(m_channel, QWebEngineScript::MainWorld);
    connect(m_bridge, &AppAddressBridge::reported, this, &HostWebPage::appAddressRequested);
}

bool HostWebPage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    // The engine hands "app" addresses over as empty, invalid URLs; the address script has
    // already reported their real text.
    if (!url.isValid() || url.scheme() == QLatin1String(WebEngineSetup::kAppScheme))
        return false;
    return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
}

void HostWebPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message,
                                           int lineNumber, const QString &sourceID)
{
    if (level == ErrorMessageLevel)
        qCDebug(lcPageScript, "%s:%d: %s", qUtf8Printable(sourceID), lineNumber, qUtf8Printable(message));
}
