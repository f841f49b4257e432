#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include "base/PlatformHosts.h"
#include "game/GamePageList.h"
#include "web/WebEngineSetup.h"

class HostWebPage;
class QUrl;
class QWebEngineLoadingInfo;
class QTimer;
class QWebEngineView;

// One entered game page: a frameless window owned by the main window and laid over its
// client area, showing the game's web page. It keeps its tab caption in step with the
// page title, hands Enter to the page's content, refreshes on F5 and turns the page's
// "app://entergame|" requests into starting (or offering) another game launcher. A page
// whose renderer ended or whose server could not be reached gives way to the tab's own
// error page, which reloads the last game address or closes the tab. The
// object is owned by GamePageList; its window exists once Create has run.
class CGameWnd : public QWidget
{
    Q_OBJECT
public:
    // An entergame request falls back to the portal of `hosts` and downloads from them. The
    // page shows with `profile`, the store of the account slot that entered it, which the
    // page keeps for as long as it lives; the first slot's by default.
    CGameWnd(const QString &address, const PlatformHosts &hosts, SlotProfile profile = {});
    // Creates game pages as a login enters them, each with its login's profile.
    static GamePageFactory Factory(const PlatformHosts &hosts);
    ~CGameWnd() override;
    CGameWnd(const CGameWnd &) = delete;
    CGameWnd &operator=(const CGameWnd &) = delete;

    // Creates the page window owned by `owner` (hidden) and starts loading the address.
    // Later calls do nothing.
    void Create(QWidget *owner);
    bool HasWindow() const { return m_view != nullptr; }

    // Where the page window belongs: over its owner's client area.
    QRect Place() const;
    // Moves the page window to its place, and makes sure a little later that the window
    // system has it there.
    void FollowOwner();

    QString Address() const { return m_address; }
    QWebEngineView *View() const { return m_view; }

    // Gives the keyboard focus to the page's content.
    void FocusContent();
    // Reloads this page only.
    void Refresh();

    // A navigation of the page completed at `url`.
    void OnNavigateComplete(const QUrl &url);
    // The document title changed to `text`.
    void OnTitleChange(const QString &text);
    // Handles an "app:" address the page tried to open: an entergame request starts the
    // named launcher from the install folder when it is there, otherwise asks whether to
    // download it. Any other address is ignored; the page never navigates there.
    void LaunchGameLauncher(const QString &address);

    void setVisible(bool visible) override;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    // The window manager's close request (Alt+F4) is refused: a page leaves only
    // through its tab.
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void handleLoadFinished();
    void handleLoadingChanged(const QWebEngineLoadingInfo &info);
    void handleAppAddress(const QString &address);
    // The tab's own error page with `heading` and `text`; its reload action loads the
    // tab's last game address.
    QString ErrorPageHtml(const char *heading, const char *text) const;
    // The address the page list holds for this page, else the one it was created with.
    QUrl LastGameAddress() const;
    // Closes this page's tab as its cross does (asking first; the last tab ends the program).
    void CloseThroughTab();
    void watchFocusProxy();
    bool IsSelectedPage() const;
    // Whether the owner is shown and not minimised, as Qt and the window manager have it.
    bool OwnerShows() const;
    void returnToPlace();

    QString m_address;
    const PlatformHosts m_hosts;
    SlotProfile m_profile;
    QWebEngineView *m_view{};
    HostWebPage *m_page{};
    QPointer<QWidget> m_watchedProxy;
    // The place the page was last put back to, and how often.
    QRect m_returnedTo;
    int m_returns = 0;
    QTimer *m_placeCheck{};
    // The keyboard was asked for before the window was mapped.
    bool m_activateWhenExposed = false;
};
