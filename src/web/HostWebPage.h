#pragma once

#include <functional>

#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QWebEnginePage>

#include "web/AppAddressMatcher.h"
#include "web/DesktopOpenLimit.h"

class AppAddressBridge;
class QWebChannel;
class QWebEngineProfile;
class QWebEngineView;
class QWidget;

// The web page both page hosts of the program show (login page and game pages). It uses
// the account slot's profile it is given, refuses every navigation to an "app" address or to an invalid
// URL, in every frame and after a redirect, keeps script errors off the screen (they go
// to the console log only), and emits appAddressRequested once for each "app:" address a
// frame of the page really navigated to, with the address's exact text. A window the page
// opens is never shown: its navigation to an "app:" address counts as this page's, an
// http(s) address goes to the desktop's browser (at most DesktopOpenLimit's share), and
// anything else is dropped (see DecideOpenedWindow).
// When its renderer crashes, the page shows the host's error page for the address it
// had, from the event loop (a new renderer must not start inside the engine's signal).
class HostWebPage : public QWebEnginePage
{
    Q_OBJECT
public:
    // Makes the HTML of the error page shown in place of `failedUrl`.
    using ErrorPageMaker = std::function<QString(const QUrl &failedUrl)>;

    HostWebPage(QWebEngineProfile *profile, QObject *parent);

    // Shows this page in a new view that fills `host` (through a margin-free layout) and
    // offers no browser context menu; the view is a child of `host`. Answers the view.
    QWebEngineView *ShowIn(QWidget *host);

    // What error page the page shows; the program's own page by default.
    void SetErrorPage(ErrorPageMaker maker) { m_errorPage = std::move(maker); }
    // Replaces the document with the error page for `failedUrl`.
    void ShowErrorPage(const QUrl &failedUrl);

    // The channel object the page's scripts talk to.
    AppAddressBridge *Bridge() const { return m_bridge; }

signals:
    // A frame of the page asked for `address` (beginning with "app:"); the navigation
    // itself has been cancelled.
    void appAddressRequested(const QString &address);
    // The top frame's document has been parsed; its images and frames may still load.
    void documentArrived();

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage *createWindow(WebWindowType type) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message,
                                  int lineNumber, const QString &sourceID) override;

private:
    bool acceptOpenedWindowNavigation(const QUrl &url);
    void handToDesktop(const QUrl &url);
    void handleRefusedNavigation(const QUrl &url);
    void handleOffer(const QString &text);
    void handleExpiry();
    void handleRenderProcessTerminated(RenderProcessTerminationStatus status);
    void Report(const QStringList &addresses);
    void ScheduleExpiry();

    ErrorPageMaker m_errorPage;
    QWebChannel *m_channel{};
    AppAddressBridge *m_bridge{};
    AppAddressMatcher m_matcher;
    QElapsedTimer m_clock;
    QTimer m_expiry;
    DesktopOpenLimit m_desktopLimit;
    // For a window this page's opener opened: where its navigations are reported.
    QPointer<HostWebPage> m_opener;
    // An opened window acts on its first real navigation only.
    bool m_openedWindowDone = false;
};
