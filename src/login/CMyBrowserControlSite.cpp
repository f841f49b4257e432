#include "login/CMyBrowserControlSite.h"

#include "login/CDHtmDlgEx.h"

CMyBrowserControlSite::CMyBrowserControlSite(CDHtmDlgEx *dialog, QWebEngineProfile *profile)
    : HostWebPage(profile, dialog)
    , m_dialog(dialog)
{
}

void CMyBrowserControlSite::javaScriptAlert(const QUrl &securityOrigin, const QString &msg)
{
    bool accepted = true;
    if (!m_dialog->ShowMessage(msg, false, &accepted))
        HostWebPage::javaScriptAlert(securityOrigin, msg);
}

bool CMyBrowserControlSite::javaScriptConfirm(const QUrl &securityOrigin, const QString &msg)
{
    bool accepted = false;
    if (m_dialog->ShowMessage(msg, true, &accepted))
        return accepted;
    return HostWebPage::javaScriptConfirm(securityOrigin, msg);
}
