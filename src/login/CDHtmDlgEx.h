#pragma once

#include <QDialog>
#include <QUrl>

#include "web/WebEngineSetup.h"

class CMyBrowserControlSite;
class QWebEngineLoadingInfo;
class QWebEngineView;

// The program's dialog that hosts a web page. The page is silent (script errors never
// open a dialog), shows no browser context menu and no border, scrolls automatically,
// replaces the engine's error pages with the program's own, never follows an "app:"
// address, and, unless a derived dialog turns them off, gives elements of class "button"
// three image states with a press capture and lets plain body, td and div areas drag the
// window. Enter does not close it. The own error page stands in only where the server
// could not be reached; a page the server sent with an error status stays.
class CDHtmDlgEx : public QDialog
{
    Q_OBJECT
public:
    // Which element behaviours the page gets.
    enum class ElementEvents { Standard, None };

    // Resource number of the program's error page.
    static constexpr int kErrorPage = WebEngineSetup::kErrorPage;

    // The page uses `profile`, the account slot's store of cookies and storage, and keeps
    // it for as long as the dialog lives.
    explicit CDHtmDlgEx(QWidget *parent = nullptr, ElementEvents events = ElementEvents::Standard,
                        SlotProfile profile = WebEngineSetup::FirstSlot());
    ~CDHtmDlgEx() override;

    // Loads `url` into the page.
    void Navigate(const QString &url);

    QWebEngineView *View() const { return m_view; }
    CMyBrowserControlSite *Page() const { return m_page; }
    const SlotProfile &Profile() const { return m_profile; }

    // A script message (alert, or confirm with `askingYesNo`). Answer true to take it
    // over (and set *accepted for a confirmation); false lets the engine show its own
    // message box. The default leaves every message to the engine.
    virtual bool ShowMessage(const QString &text, bool askingYesNo, bool *accepted);

    // The HTML the program shows instead of the engine's error page after `failedUrl`
    // could not be loaded: the page resource numbered ErrorPageId; empty without one.
    QString ErrorPageHtml(const QUrl &failedUrl) const;

    // Resource number of the error page shown on failed loads.
    int ErrorPageId{kErrorPage};

signals:
    // A navigation of the page completed (error pages included).
    void navigateComplete(const QUrl &url);

protected:
    // An "app:" address the page asked for; the navigation is already cancelled.
    virtual void OnBeforeNavigate(const QString &address);
    // A page arrived, also one the server sent with an error status: lets the body scroll.
    // A load whose connection failed shows the error page instead (and completes with it).
    virtual void OnNavigateComplete(const QUrl &url);
    // A load ended without a page of its own: stopped, refused, or replaced by another.
    virtual void OnLoadInterrupted(const QUrl &url);

    void accept() override;

private:
    void handleLoadingChanged(const QWebEngineLoadingInfo &info);

    SlotProfile m_profile;
    QWebEngineView *m_view{};
    CMyBrowserControlSite *m_page{};
};
