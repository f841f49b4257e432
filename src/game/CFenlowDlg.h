#pragma once

#include <array>
#include <functional>
#include <memory>

#include <QSystemTrayIcon>

#include "base/PlatformHosts.h"
#include "game/ReadyLogin.h"
#include "skin/CDlgEx.h"

class CBtnEx;
class CCaptTab;
class InstanceEndpoint;
class QTimer;

// The login window while a further login runs over the main window, else none.
QWidget *ActiveLoginWindow();
// Keeps a shown further login and the dialogs over the main window above the game under the
// window manager; call it once one of them, or a page under them, has been shown or hidden.
void KeepAboveGame();

// The main window of the logged-in player: a skinned, resizable dialog with a strip of up
// to three game tabs and, laid over its client area, one game page per tab. It carries the
// caption-bar buttons, listens for the other instances' messages (a further login, hide
// or restore) and asks before the program quits.
class CFenlowDlg : public CDlgEx
{
    Q_OBJECT
public:
    static constexpr int kTemplateId = 102;
    static constexpr int kMaxPages = 3;

    // Creates the login window a further login runs modally over `owner`.
    using LoginFactory = ReadyLogin::Factory;

    // The caption's page buttons and the update item go to `hosts`. Without
    // `loginFactory`, no further login opens.
    explicit CFenlowDlg(const PlatformHosts &hosts, LoginFactory loginFactory = {}, QWidget *parent = nullptr);
    ~CFenlowDlg() override;

    // Hides or restores this window with its pages and an open login window; with
    // `tellOthers`, every other running main window (at most 10) follows.
    void ToggleMainWindow(bool tellOthers);
    // Opens a further login over this window, unless three pages are open already.
    void OpenFurtherLogin();
    // Removes the tray icon and the instance endpoint and ends the program's event loops.
    void ExitProgram();
    // Runs the hotkey settings dialog modally over this window.
    void ShowSettings();
    // Opens the command menu below the "系统" button, or at the cursor for the tray, and
    // runs the chosen command.
    void ShowButtonMenu();
    void ShowTrayMenu();
    // Runs the command of a menu item (SystemMenu ids); the version item and 0 do nothing.
    void RunMenuCommand(int id);

    // Closing asks whether to quit the game; Yes ends the dialog and the program.
    void reject() override;

    CCaptTab *Tabs() const { return m_tabs; }
    CBtnEx *Button(int id) const;
    QSystemTrayIcon *TrayIcon() const { return m_trayIcon; }
    // This instance's endpoint for the other instances' messages.
    QString EndpointPath() const;

    int MuteRequested = 0;
    int MuteApplied = 0;

protected:
    bool OnInitDialog() override;
    bool event(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void changeEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void timerEvent(QTimerEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void InitWindow();
    void RegisterHotkeys();
    void OnHotKey(int id);
    void layoutButtons(int clientWidth);
    void updateMinimumSize();
    void openWebPage(int buttonId);
    void handleInstanceMessage(int message);
    void applyMute();
    void followVisibility(bool shown);
    void showLogin(bool shown);
    void syncPageMute();
    void prepareNextLogin();
    void AddTrayIcon();
    void handleTrayActivated(QSystemTrayIcon::ActivationReason reason);
    void runUpdate();
    void takeServerGeometry();
    void checkGeometrySoon();

    const PlatformHosts m_hosts;
    const LoginFactory m_loginFactory;
    // While fewer than kMaxPages pages are open, the next further login is built ahead.
    ReadyLogin m_readyLogin;
    std::array<CBtnEx *, 7> m_buttons{};
    CCaptTab *m_tabs{};
    InstanceEndpoint *m_endpoint{};
    QSystemTrayIcon *m_trayIcon{};
    int m_lastWidth = 0;
    int m_muteTimer = 0;
    QMetaObject::Connection m_idleMute;
    bool m_openingLogin = false;
    QTimer *m_geometryCheck{};
    int m_serverGeometryTakes = 0;
};
