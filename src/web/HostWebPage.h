#pragma once

#include <QWebEnginePage>

class AppAddressBridge;
class QWebChannel;

// The web page both page hosts of the program show (login page and game pages). It uses
// the program's profile, refuses every navigation to an "app" address or to an invalid
// URL, keeps script errors off the screen (they go to the console log only), and emits
// appAddressRequested with the exact "app:" address text a frame tried to open.
class HostWebPage : public QWebEnginePage
{
    Q_OBJECT
public:
    explicit HostWebPage(QObject *parent = nullptr);

    // The channel object the page's scripts talk to.
    AppAddressBridge *Bridge() const { return m_bridge; }

signals:
    // A frame of the page asked for `address` (beginning with "app:"); the navigation
    // itself has been cancelled.
    void appAddressRequested(const QString &address);

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message,
                                  int lineNumber, const QString &sourceID) override;

private:
    QWebChannel *m_channel{};
    AppAddressBridge *m_bridge{};
};
