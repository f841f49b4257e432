#include "login/CDHtmDlgEx.h"

#include <QWebEngineLoadingInfo>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include "login/CMyBrowserControlSite.h"
#include "login/WindowDragger.h"
#include "web/AppAddressBridge.h"
#include "web/WebEngineSetup.h"

namespace {

QWebEngineScript ElementBehaviourScript()
{
    QWebEngineScript script;
    script.setName(QStringLiteral("fenlow-element-behaviours"));
    script.setInjectionPoint(QWebEngineScript::DocumentReady);
    script.setWorldId(WebEngineSetup::kProgramWorld);
    script.setRunsOnSubFrames(false);
    script.setSourceCode(WebEngineSetup::ResourceText(QStringLiteral(":/web/scripts/element_behaviours.js")));
    return script;
}

} // namespace

CDHtmDlgEx::CDHtmDlgEx(QWidget *parent, ElementEvents events, SlotProfile profile)
    : QDialog(parent)
    , m_profile(std::move(profile))
    , m_page(new CMyBrowserControlSite(this, m_profile.get()))
{
    m_view = m_page->ShowIn(this);
    m_page->SetErrorPage([this](const QUrl &url) { return ErrorPageHtml(url); });
    m_page->settings()->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    m_page->settings()->setAttribute(QWebEngineSettings::ShowScrollBars, true);
    if (events == ElementEvents::Standard)
        m_page->scripts().insert(ElementBehaviourScript());

    connect(m_page, &HostWebPage::appAddressRequested, this, &CDHtmDlgEx::OnBeforeNavigate);
    connect(m_page, &QWebEnginePage::loadingChanged, this, &CDHtmDlgEx::handleLoadingChanged);
    connect(m_page->Bridge(), &AppAddressBridge::windowDragRequested, this, [this] { WindowDragger::Start(this); });
}

CDHtmDlgEx::~CDHtmDlgEx()
{
    // The page must go before the view that shows it.
    m_view->setPage(nullptr);
    delete m_page;
}

void CDHtmDlgEx::Navigate(const QString &url)
{
    m_page->load(QUrl(url));
}

bool CDHtmDlgEx::ShowMessage(const QString &, bool, bool *)
{
    return false;
}

QString CDHtmDlgEx::ErrorPageHtml(const QUrl &failedUrl) const
{
    return WebEngineSetup::ErrorPageHtml(ErrorPageId, failedUrl);
}

void CDHtmDlgEx::OnBeforeNavigate(const QString &)
{
    // The base dialog follows no "app:" address; the page has cancelled it already.
}

void CDHtmDlgEx::OnNavigateComplete(const QUrl &)
{
    m_page->runJavaScript(QStringLiteral("if (document.body) document.body.style.overflow = 'auto';"));
}

void CDHtmDlgEx::accept()
{
    // Enter never closes a browser host dialog.
}

void CDHtmDlgEx::OnLoadInterrupted(const QUrl &)
{
}

void CDHtmDlgEx::handleLoadingChanged(const QWebEngineLoadingInfo &info)
{
    switch (info.status()) {
    case QWebEngineLoadingInfo::LoadStartedStatus:
        return;
    case QWebEngineLoadingInfo::LoadStoppedStatus:
        OnLoadInterrupted(info.url());
        return;
    case QWebEngineLoadingInfo::LoadFailedStatus:
        if (info.errorCode() == WebEngineSetup::kAbortedError) {
            OnLoadInterrupted(info.url());
            return;
        }
        if (WebEngineSetup::IsFailedConnection(info.errorDomain())) {
            m_page->ShowErrorPage(info.url());
            return;
        }
        // A page the server sent with an error status is shown as sent.
        break;
    case QWebEngineLoadingInfo::LoadSucceededStatus:
        break;
    }
    OnNavigateComplete(info.url());
    emit navigateComplete(info.url());
}
