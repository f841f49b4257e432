#pragma once

#include "web/HostWebPage.h"

class CDHtmDlgEx;
class QWebEngineProfile;

// The page of a browser host dialog: through it the engine asks its host for UI
// decisions. Script alerts and confirmations go to the dialog's ShowMessage first; when
// the dialog leaves them to the engine, the engine shows its own message box.
class CMyBrowserControlSite : public HostWebPage
{
    Q_OBJECT
public:
    explicit CMyBrowserControlSite(CDHtmDlgEx *dialog, QWebEngineProfile *profile);

protected:
    void javaScriptAlert(const QUrl &securityOrigin, const QString &msg) override;
    bool javaScriptConfirm(const QUrl &securityOrigin, const QString &msg) override;

private:
    CDHtmDlgEx *m_dialog{};
};
