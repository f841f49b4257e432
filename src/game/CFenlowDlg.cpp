#include "game/CFenlowDlg.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QDebug>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QWindow>

#include "base/InstanceChannel.h"
#include "base/ProgramTitle.h"
#include "game/CCaptTab.h"
#include "game/CGameWnd.h"
#include "game/GameLayout.h"
#include "game/MainWindowSkin.h"
#include "game/PopupMenu.h"
#include "game/SystemMenu.h"
#include "game/WebPages.h"
#include "platform/GlobalHotkeys.h"
#include "platform/HotkeyEvent.h"
#include "platform/WindowManager.h"
#include "settings/CSettingDlg.h"
#include "settings/HotkeySettings.h"
#include "skin/CBtnEx.h"
#include "skin/CMessageBox.h"
#include "skin/SkinImage.h"
#include "update/SelfUpdate.h"
#include "web/BrowserCache.h"
#include "game/GamePageList.h"

namespace {

QPointer<QWidget> g_activeLoginWindow;

const char *const kCloseQuestion = "窗口即将关闭，是否要退出游戏？";
const char *const kPageLimit = "当前窗体只支持3个游戏页";
const char *const kCacheCleared = "缓存清除完毕！";

constexpr int kTabStripId = 1011;
constexpr int kMuteTimerMs = 400;
constexpr int kMaxToggleReceivers = 10;
constexpr int kGeometryCheckMs = 250;
constexpr int kMaxServerGeometryTakes = 3;

// In the order the buttons are bound to the window.
constexpr std::array<int, 7> kBoundButtons{
    GameLayout::kHideButton,   GameLayout::kSystemButton, GameLayout::kSoundButton, GameLayout::kPortalButton,
    GameLayout::kForumButton, GameLayout::kPayButton,    GameLayout::kServiceButton,
};

// Shows or hides a window without ending the modal loop it may be running: a dialog that
// hides through QDialog ends its exec(), but hiding to the tray must keep it running.
void SetShownKeepingModalLoop(QWidget *window, bool shown)
{
    window->QWidget::setVisible(shown);
}

} // namespace

QWidget *ActiveLoginWindow()
{
    return g_activeLoginWindow;
}

// A further login or a dialog comes up over the game and stays there, also when the player
// clicks the main window or its page. A window manager keeps a window above the one it
// belongs to but stacks two windows of one owner either way, so each window that runs over
// the main window is told that it belongs to the page it covers (itself the main window's),
// or to the main window while no page shows.
void KeepAboveGame()
{
    const CCaptTab *tabs = TabStrip();
    if (!tabs)
        return;
    const QWidget *main = tabs->window();
    const CGameWnd *page = tabs->CurrentPage();
    const QWidget *owner = page && page->isVisible() ? page : main;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        const QWindow *handle = window->windowHandle();
        if (window != main && qobject_cast<QDialog *>(window) && window->isVisible() && handle
            && handle->transientParent() == main->windowHandle())
            WindowManager::SetTransientFor(window->windowHandle(), owner->windowHandle());
    }
}

CFenlowDlg::CFenlowDlg(const PlatformHosts &hosts, LoginFactory loginFactory, QWidget *parent)
    : CDlgEx(kTemplateId, parent)
    , m_hosts(hosts)
    , m_loginFactory(loginFactory)
    , m_readyLogin(std::move(loginFactory), this)
    , m_tabs(new CCaptTab(this))
    , m_geometryCheck(new QTimer(this))
{
    m_geometryCheck->setSingleShot(true);
    m_geometryCheck->setInterval(kGeometryCheckMs);
    connect(m_geometryCheck, &QTimer::timeout, this, &CFenlowDlg::takeServerGeometry);
    for (std::size_t i = 0; i < kBoundButtons.size(); ++i) {
        const int id = kBoundButtons[i];
        m_buttons[i] = new CBtnEx(id, this);
        if (!WebPages::ButtonPage(id, m_hosts).isEmpty())
            connect(m_buttons[i], &CBtnEx::clicked, this, [this, id] { openWebPage(id); });
    }
    connect(Button(GameLayout::kHideButton), &CBtnEx::clicked, this, [this] { ToggleMainWindow(false); });
    connect(Button(GameLayout::kSystemButton), &CBtnEx::clicked, this, &CFenlowDlg::ShowButtonMenu);
    connect(Button(GameLayout::kSoundButton), &CBtnEx::clicked, this, [this] { MuteRequested = !MuteRequested; });
    // A normal top-level application window, listed in the taskbar with minimise and
    // maximise; its modal loop stays inside the program (DoModal) and blocks no window.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowMinMaxButtonsHint);
    m_tabs->setObjectName(QStringLiteral("TabStrip%1").arg(kTabStripId));
    connect(m_tabs, &CCaptTab::pageCountChanged, this, &CFenlowDlg::updateMinimumSize);
    connect(m_tabs, &CCaptTab::pageCountChanged, this, &CFenlowDlg::syncPageMute);
    connect(m_tabs, &CCaptTab::pageCountChanged, this, &CFenlowDlg::prepareNextLogin);
}

// The hotkeys end with the window; their registered pairs say so.
CFenlowDlg::~CFenlowDlg()
{
    for (int id : {BossKeyId, SwitchKeyId, SoundKeyId})
        RegisteredHotkey(id) = kNotRegistered;
}

bool CFenlowDlg::OnInitDialog()
{
    CDlgEx::OnInitDialog();
    setWindowIcon(AppIcon());
    RegisterHotkeys();
    InitWindow();
    m_endpoint = new InstanceEndpoint(this);
    // Without an endpoint later starts cannot find this window: say so, and go on.
    if (!m_endpoint->Listen())
        qWarning("No instance endpoint: further starts will not find this window");
    connect(m_endpoint, &InstanceEndpoint::messageReceived, this, &CFenlowDlg::handleInstanceMessage,
            Qt::QueuedConnection);
    prepareNextLogin();
    return true;
}

void CFenlowDlg::InitWindow()
{
    SetTitle(QString::fromUtf8(kProgramTitle));
    UseMainWindowSkin(GameLayout::kCaptionHeight, GameLayout::kFrame);
    ToggleMaximize();
    for (CBtnEx *button : m_buttons)
        SkinCaptionButton(button);
    SkinTabStrip(m_tabs);
    m_tabs->ShowNewestPage();
    updateMinimumSize();
    layoutButtons(width());
    AddTrayIcon();
}

void CFenlowDlg::AddTrayIcon()
{
    // Shown even while the desktop has no tray: a tray that appears later, or comes back
    // after a restart, picks the icon up.
    m_trayIcon = new QSystemTrayIcon(AppIcon(), this);
    m_trayIcon->setToolTip(QString::fromUtf8(kProgramTitle));
    // Queued: the menu's own event loop must not run inside the tray's mouse handling.
    connect(m_trayIcon, &QSystemTrayIcon::activated, this, &CFenlowDlg::handleTrayActivated, Qt::QueuedConnection);
    m_trayIcon->show();
}

void CFenlowDlg::handleTrayActivated(QSystemTrayIcon::ActivationReason reason)
{
    // Each release of the left button toggles, the second one of a double click too.
    if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
        ToggleMainWindow(false);
    else if (reason == QSystemTrayIcon::Context)
        ShowTrayMenu();
}

void CFenlowDlg::ShowButtonMenu()
{
    const CBtnEx *button = Button(GameLayout::kSystemButton);
    const QRect onScreen(button->mapToGlobal(QPoint(0, 0)), button->size());
    const int chosen = RunPopupMenu(SystemMenu::Items(SystemMenu::Place::Button, BossKeyText()), this,
                                    [&](const QSize &) { return SystemMenu::ButtonMenuOrigin(onScreen); });
    RunMenuCommand(chosen);
}

void CFenlowDlg::ShowTrayMenu()
{
    if (isVisible())
        activateWindow();
    const QPoint cursor = QCursor::pos();
    const int chosen = RunPopupMenu(SystemMenu::Items(SystemMenu::Place::Tray, BossKeyText()), this,
                                    [&](const QSize &size) { return SystemMenu::TrayMenuOrigin(cursor, size); });
    RunMenuCommand(chosen);
}

void CFenlowDlg::RunMenuCommand(int id)
{
    switch (id) {
    case SystemMenu::kRefresh:
        m_tabs->RefreshCurrentPage();
        break;
    case SystemMenu::kToggle:
        ToggleMainWindow(false);
        break;
    case SystemMenu::kClearCache:
        // The notice does not wait for the clearing, which goes on by itself; what the
        // player does after it waits until the pages send the login again.
        StartBrowserCacheClearing();
        ShowSkinnedMessage(MB_OK, QString::fromUtf8(kProgramTitle), QString::fromUtf8(kCacheCleared));
        AwaitBrowserCacheClearing();
        break;
    case SystemMenu::kUpdate:
        runUpdate();
        break;
    case SystemMenu::kSettings:
        ShowSettings();
        break;
    case SystemMenu::kExit:
        ExitProgram();
        break;
    default:
        break;
    }
}

// The menus' update item: a forced check and update; once the new build runs, this one
// ends. The endpoint goes first so the new build never hands over to this one.
void CFenlowDlg::runUpdate()
{
    const auto releaseEndpoint = [this] {
        delete m_endpoint;
        m_endpoint = nullptr;
    };
    if (RunForcedUpdate(m_hosts, this, releaseEndpoint) == UpdateOutcome::Applied)
        ExitProgram();
}

// Registers the three hotkeys from the settings; one that cannot be registered is left
// out without a word.
void CFenlowDlg::RegisterHotkeys()
{
    for (int id : {BossKeyId, SwitchKeyId, SoundKeyId}) {
        const HotkeyPair pair = ReadHotkeySetting(id);
        if (RegisterHotKey(this, id, pair.modifiers, pair.key))
            RegisteredHotkey(id) = pair;
    }
}

bool CFenlowDlg::event(QEvent *event)
{
    if (event->type() == HotkeyEvent::EventType()) {
        OnHotKey(static_cast<HotkeyEvent *>(event)->Id());
        return true;
    }
    // A dialog or a further login is coming up over this window: once it is shown, it is
    // kept above the game.
    if (event->type() == QEvent::WindowBlocked)
        QTimer::singleShot(0, this, &KeepAboveGame);
    return CDlgEx::event(event);
}

void CFenlowDlg::OnHotKey(int id)
{
    if (id == BossKeyId)
        ToggleMainWindow(true);
    else if (id == SwitchKeyId && !ActiveLoginWindow() && isVisible())
        m_tabs->SwitchToNextPage();
    else if (id == SoundKeyId)
        MuteRequested = !MuteRequested;
}

void CFenlowDlg::ShowSettings()
{
    CSettingDlg settings(this);
    settings.DoModal();
}

CBtnEx *CFenlowDlg::Button(int id) const
{
    for (CBtnEx *button : m_buttons) {
        if (button->GetDlgCtrlID() == id)
            return button;
    }
    return nullptr;
}

QString CFenlowDlg::EndpointPath() const
{
    return m_endpoint ? m_endpoint->Path() : QString();
}

void CFenlowDlg::ToggleMainWindow(bool tellOthers)
{
    bool loginShown = false;
    if (isVisible()) {
        SetShownKeepingModalLoop(this, false);
        m_tabs->ShowCurrentPage(false);
    } else {
        setWindowState(windowState() & ~Qt::WindowMinimized);
        SetShownKeepingModalLoop(this, true);
        raise();
        activateWindow();
        // The page comes up after its owner, so it lies over the window, also where no
        // window manager keeps owned windows above their owner.
        m_tabs->ShowCurrentPage(true);
        loginShown = true;
    }
    showLogin(loginShown);
    if (tellOthers)
        InstanceChannel::Broadcast(kToggleMessage, EndpointPath(), kMaxToggleReceivers);
}

void CFenlowDlg::OpenFurtherLogin()
{
    // A hand-over that arrives while a login (or the limit notice) is open changes nothing.
    if (m_openingLogin || !m_loginFactory)
        return;
    m_openingLogin = true;
    // A hidden window comes back first: without a tray it could otherwise only be found
    // by the boss key, and the login or the limit notice would open over nothing.
    if (!isVisible())
        ToggleMainWindow(false);
    GamePageList &pages = GamePageList::Instance();
    const int before = pages.Count();
    if (before >= kMaxPages) {
        ShowSkinnedMessage(MB_OK, QString::fromUtf8(kProgramTitle), QString::fromUtf8(kPageLimit));
    } else {
        const std::unique_ptr<QDialog> login = m_readyLogin.Take();
        g_activeLoginWindow = login.get();
        RunWindowModal(login.get());
        const int result = login->exec();
        g_activeLoginWindow = nullptr;
        if (result == IDOK && pages.Count() > before) {
            m_tabs->ShowNewestPage();
            if (windowState() & Qt::WindowMinimized)
                setWindowState(windowState() & ~Qt::WindowMinimized);
        }
    }
    m_openingLogin = false;
    prepareNextLogin();
}

void CFenlowDlg::prepareNextLogin()
{
    // A login built ahead holds a page and its renderer: none is kept once no further
    // login can open, and none is built while one is open.
    if (GamePageList::Instance().Count() >= kMaxPages)
        m_readyLogin.Drop();
    else if (!m_openingLogin)
        m_readyLogin.PrepareSoon();
}

void CFenlowDlg::ExitProgram()
{
    if (m_trayIcon)
        m_trayIcon->hide();
    delete m_endpoint;
    m_endpoint = nullptr;
    QCoreApplication::exit(0);
}

void CFenlowDlg::reject()
{
    if (ShowSkinnedMessage(MB_YESNO, QString::fromUtf8(kProgramTitle), QString::fromUtf8(kCloseQuestion)) != IDYES)
        return;
    CDlgEx::reject();
    ExitProgram();
}

void CFenlowDlg::resizeEvent(QResizeEvent *event)
{
    CDlgEx::resizeEvent(event);
    if (width() != m_lastWidth) {
        layoutButtons(width());
        RedrawCaptionButtons();
    }
    m_lastWidth = width();
    m_tabs->LayoutGamePages();
    if (event->spontaneous())
        checkGeometrySoon();
}

void CFenlowDlg::moveEvent(QMoveEvent *event)
{
    CDlgEx::moveEvent(event);
    m_tabs->LayoutGamePages();
    if (event->spontaneous())
        checkGeometrySoon();
}

void CFenlowDlg::changeEvent(QEvent *event)
{
    CDlgEx::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        checkGeometrySoon();
    // Owned page windows and a further login follow the main window into and out of the
    // minimised state.
    if (event->type() == QEvent::WindowStateChange && isVisible()) {
        const bool shown = !(windowState() & Qt::WindowMinimized);
        m_tabs->FollowOwnerState(shown);
        showLogin(shown);
    }
}

void CFenlowDlg::showLogin(bool shown)
{
    QWidget *login = ActiveLoginWindow();
    if (!login)
        return;
    SetShownKeepingModalLoop(login, shown);
    if (shown) {
        login->raise();
        KeepAboveGame();
    }
}

void CFenlowDlg::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        return;
    default:
        CDlgEx::keyPressEvent(event);
    }
}

void CFenlowDlg::mousePressEvent(QMouseEvent *event)
{
    CDlgEx::mousePressEvent(event);
    m_tabs->FocusCurrentPage();
}

void CFenlowDlg::mouseReleaseEvent(QMouseEvent *event)
{
    CDlgEx::mouseReleaseEvent(event);
    m_tabs->FocusCurrentPage();
}

void CFenlowDlg::mouseDoubleClickEvent(QMouseEvent *event)
{
    CDlgEx::mouseDoubleClickEvent(event);
    m_tabs->FocusCurrentPage();
}

void CFenlowDlg::timerEvent(QTimerEvent *event)
{
    if (event->timerId() == m_muteTimer)
        applyMute();
    CDlgEx::timerEvent(event);
}

void CFenlowDlg::showEvent(QShowEvent *event)
{
    CDlgEx::showEvent(event);
    followVisibility(true);
}

// After a maximise the window manager ran, or its end, the native window at times has its
// new geometry while the widget kept the old one, so the skin, the buttons and the game
// pages stayed laid out for the old size. Once the window's changes have settled, the
// widget takes the geometry the X server has, a few times for one change.
void CFenlowDlg::takeServerGeometry()
{
    const QRect onServer = WindowManager::ServerGeometry(windowHandle());
    if (!isVisible() || (windowState() & Qt::WindowMinimized) || onServer.isEmpty() || geometry() == onServer)
        return;
    if (m_serverGeometryTakes++ >= kMaxServerGeometryTakes)
        return;
    setGeometry(onServer);
    m_geometryCheck->start();
}

// A move, resize or state change the window system reported: the check runs once they
// have settled.
void CFenlowDlg::checkGeometrySoon()
{
    m_serverGeometryTakes = 0;
    m_geometryCheck->start();
}

void CFenlowDlg::hideEvent(QHideEvent *event)
{
    CDlgEx::hideEvent(event);
    followVisibility(false);
}

// Timer 3 runs only while the window is shown. A hidden window still follows the sound
// key: its request is applied whenever the event loop falls idle, which wakes nothing up.
void CFenlowDlg::followVisibility(bool shown)
{
    disconnect(m_idleMute);
    if (shown) {
        if (!m_muteTimer)
            m_muteTimer = startTimer(kMuteTimerMs);
        return;
    }
    if (m_muteTimer) {
        killTimer(m_muteTimer);
        m_muteTimer = 0;
    }
    m_idleMute = connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
                         &CFenlowDlg::applyMute);
}

void CFenlowDlg::layoutButtons(int clientWidth)
{
    for (CBtnEx *button : m_buttons)
        button->setGeometry(GameLayout::ButtonRect(button->GetDlgCtrlID(), clientWidth));
}

void CFenlowDlg::updateMinimumSize()
{
    setMinimumSize(GameLayout::MinimumSize(GamePageList::Instance().Count()));
}

void CFenlowDlg::openWebPage(int buttonId)
{
    QDesktopServices::openUrl(QUrl(WebPages::ButtonPage(buttonId, m_hosts)));
}

void CFenlowDlg::handleInstanceMessage(int message)
{
    if (message == kHandOverMessage)
        OpenFurtherLogin();
    else if (message == kToggleMessage)
        ToggleMainWindow(false);
}

void CFenlowDlg::applyMute()
{
    if (MuteApplied != MuteRequested) {
        MuteApplied = MuteRequested;
        if (CBtnEx *sound = Button(GameLayout::kSoundButton)) {
            sound->SetImage(LoadSkinImage(MuteApplied ? SkinId::SoundOff : SkinId::SoundOn), true);
            sound->update();
        }
    }
    syncPageMute();
}

// Every page follows the applied state, also those opened since the last change.
void CFenlowDlg::syncPageMute()
{
    for (CGameWnd *page : std::as_const(GamePageList::Instance().Pages)) {
        if (page->View() && page->View()->page()->isAudioMuted() != bool(MuteApplied))
            page->View()->page()->setAudioMuted(MuteApplied);
    }
}
