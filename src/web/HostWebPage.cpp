#include "web/HostWebPage.h"

#include <QLoggingCategory>
#include <QVBoxLayout>
#include <QWebChannel>
#include <QWebEngineView>

#include "web/AppAddressBridge.h"
#include "web/WebEngineSetup.h"

namespace {

Q_LOGGING_CATEGORY(lcPageScript, "fenlow.page.script", QtWarningMsg)

// How long the page of an opened window lives when it never navigates.
constexpr int kOpenedPageLifeMs = 10000;

} // namespace

HostWebPage::HostWebPage(QWebEngineProfile *profile, QObject *parent)
    : QWebEnginePage(profile, parent)
    , m_errorPage([](const QUrl &url) { return WebEngineSetup::ErrorPageHtml(WebEngineSetup::kErrorPage, url); })
    , m_channel(new QWebChannel(this))
    , m_bridge(new AppAddressBridge(this))
{
    m_clock.start();
    m_expiry.setSingleShot(true);
    connect(&m_expiry, &QTimer::timeout, this, &HostWebPage::handleExpiry);
    m_channel->registerObject(QString::fromLatin1(AppAddressBridge::kChannelName), m_bridge);
    setWebChannel(m_channel, WebEngineSetup::kProgramWorld);
    // The top frame's own cancelled navigations are real navigations of this page.
    connect(m_bridge, &AppAddressBridge::reported, this, &HostWebPage::appAddressRequested);
    connect(m_bridge, &AppAddressBridge::offered, this, &HostWebPage::handleOffer);
    connect(m_bridge, &AppAddressBridge::documentArrived, this, &HostWebPage::documentArrived);
    connect(this, &QWebEnginePage::renderProcessTerminated, this, &HostWebPage::handleRenderProcessTerminated);
}

QWebEngineView *HostWebPage::ShowIn(QWidget *host)
{
    auto *view = new QWebEngineView(host);
    view->setContextMenuPolicy(Qt::PreventContextMenu);
    view->setPage(this);
    auto *layout = new QVBoxLayout(host);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view);
    return view;
}

void HostWebPage::ShowErrorPage(const QUrl &failedUrl)
{
    setHtml(m_errorPage(failedUrl), failedUrl);
}

bool HostWebPage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    if (m_opener) {
        // An opened window shows nothing of its own; it only says where it was sent.
        if (!url.isValid() || url.scheme() == QLatin1String(WebEngineSetup::kAppScheme))
            m_opener->handleRefusedNavigation(url);
        deleteLater();
        return false;
    }
    // The engine hands most "app" addresses over as invalid URLs that lost part of their
    // text; the matcher pairs them with the texts the page's scripts offered.
    if (!url.isValid() || url.scheme() == QLatin1String(WebEngineSetup::kAppScheme)) {
        handleRefusedNavigation(url);
        return false;
    }
    return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
}

QWebEnginePage *HostWebPage::createWindow(WebWindowType)
{
    auto *opened = new HostWebPage(profile(), this);
    opened->m_opener = this;
    QTimer::singleShot(kOpenedPageLifeMs, opened, &QObject::deleteLater);
    return opened;
}

void HostWebPage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message,
                                           int lineNumber, const QString &sourceID)
{
    if (level == ErrorMessageLevel)
        qCDebug(lcPageScript, "%s:%d: %s", qUtf8Printable(sourceID), lineNumber, qUtf8Printable(message));
}

void HostWebPage::handleRefusedNavigation(const QUrl &url)
{
    Report(m_matcher.AddNavigation(url, m_clock.elapsed()));
    ScheduleExpiry();
}

void HostWebPage::handleOffer(const QString &text)
{
    Report(m_matcher.AddText(text, m_clock.elapsed()));
    ScheduleExpiry();
}

void HostWebPage::handleExpiry()
{
    Report(m_matcher.Expire(m_clock.elapsed()));
    ScheduleExpiry();
}

void HostWebPage::handleRenderProcessTerminated(RenderProcessTerminationStatus status)
{
    if (status == NormalTerminationStatus)
        return;
    const QUrl address = url();
    QTimer::singleShot(0, this, [this, address] { ShowErrorPage(address); });
}

void HostWebPage::Report(const QStringList &addresses)
{
    // The engine asks about navigations from inside its own call; the host may open
    // dialogs or delete the page, so it hears of them from the event loop.
    for (const QString &address : addresses)
        QMetaObject::invokeMethod(this, [this, address] { emit appAddressRequested(address); }, Qt::QueuedConnection);
}

void HostWebPage::ScheduleExpiry()
{
    const std::optional<qint64> deadline = m_matcher.NextDeadline();
    if (!deadline) {
        m_expiry.stop();
        return;
    }
    m_expiry.start(static_cast<int>(std::max<qint64>(0, *deadline - m_clock.elapsed())));
}
