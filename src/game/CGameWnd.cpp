#include "game/CGameWnd.h"

#include <memory>

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMoveEvent>
#include <QQuickWidget>
#include <QQuickWindow>
#include <QResizeEvent>
#include <QTimer>
#include <QUrl>
#include <QWebEngineLoadingInfo>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <QWindow>

#include "base/ProgramPaths.h"
#include "base/StartMode.h"
#include "game/CCaptTab.h"
#include "game/CFenlowDlg.h"
#include "game/EnterGameRequest.h"
#include "game/GameLayout.h"
#include "game/GamePageList.h"
#include "game/PageTitle.h"
#include "game/WebPages.h"
#include "platform/FreedMemory.h"
#include "platform/WindowManager.h"
#include "skin/CMessageBox.h"
#include "update/CDownGameDlg.h"
#include "web/HostWebPage.h"
#include "web/WebEngineSetup.h"

namespace {

const char *const kDownloadCaption = "qovan游戏平台";
const char *const kDownloadQuestion = "下载翼川记登录器，玩游戏更加方便快捷，现在就去下载吧？";

constexpr int kContentFocusSettleMs = 100;
constexpr int kMaxReturns = 3;
constexpr int kPlaceCheckMs = 250;

// The page's own request to leave: it closes the tab as the tab's cross does.
const char *const kCloseTabAddress = "app://closetab";

const char *const kEndedHeading = "游戏页面已停止运行";
const char *const kEndedText = "游戏页面意外关闭了，游戏没有继续运行。";
const char *const kFailedHeading = "无法连接到游戏服务器";
const char *const kFailedText = "游戏页面暂时无法打开，请检查网络连接后重新加载。";

bool IsEnterKey(const QKeyEvent *event)
{
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

} // namespace

CGameWnd::CGameWnd(const QString &address, const PlatformHosts &hosts, SlotProfile profile)
    : m_address(address)
    , m_hosts(hosts)
    , m_profile(std::move(profile))
    , m_placeCheck(new QTimer(this))
{
    m_placeCheck->setSingleShot(true);
    m_placeCheck->setInterval(kPlaceCheckMs);
    connect(m_placeCheck, &QTimer::timeout, this, &CGameWnd::returnToPlace);
}

GamePageFactory CGameWnd::Factory(const PlatformHosts &hosts)
{
    return [hosts](const QString &address, const SlotProfile &profile) {
        return new CGameWnd(address, hosts, profile);
    };
}

CGameWnd::~CGameWnd()
{
    // A page deleted with its owner rather than through ClosePage leaves the list too.
    GamePageList &list = GamePageList::Instance();
    list.RemoveAt(list.IndexOf(this));
    // The page must go before the view it renders into.
    delete m_page;
    FreedMemory::ReleaseSoon();
}

void CGameWnd::Create(QWidget *owner)
{
    if (HasWindow())
        return;
    setParent(owner, Qt::Tool | Qt::FramelessWindowHint);
    setFocusPolicy(Qt::StrongFocus);

    // A renderer that ended and a server that could not be reached leave the tab's own
    // error page, until the player reloads: a page that keeps dying is never reloaded in
    // a loop.
    if (!m_profile)
        m_profile = WebEngineSetup::FirstSlot();
    m_page = new HostWebPage(m_profile.get(), this);
    m_page->settings()->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    m_page->SetErrorPage([this](const QUrl &) { return ErrorPageHtml(kEndedHeading, kEndedText); });
    m_view = m_page->ShowIn(this);

    connect(m_page, &QWebEnginePage::loadFinished, this, &CGameWnd::handleLoadFinished);
    connect(m_page, &QWebEnginePage::loadingChanged, this, &CGameWnd::handleLoadingChanged);
    connect(m_page, &QWebEnginePage::titleChanged, this, &CGameWnd::OnTitleChange);
    connect(m_page, &HostWebPage::appAddressRequested, this, &CGameWnd::handleAppAddress);
    m_page->load(QUrl(m_address));
}

void CGameWnd::FocusContent()
{
    if (!HasWindow())
        return;
    // A window that is not mapped yet would be activated once it is, by which time its
    // owner may have been minimised: the window manager would then restore the owner to
    // give the page the keyboard. The page asks for it when it is exposed, if its owner
    // still shows.
    if (windowHandle() && windowHandle()->isExposed())
        activateWindow();
    else
        m_activateWhenExposed = true;
    watchFocusProxy();
    m_view->setFocus(Qt::OtherFocusReason);
}

bool CGameWnd::OwnerShows() const
{
    const QWidget *owner = parentWidget();
    return owner && owner->isVisible() && !owner->isMinimized() && !WindowManager::IsIconic(owner->windowHandle());
}

void CGameWnd::Refresh()
{
    if (m_page)
        m_page->triggerAction(QWebEnginePage::Reload);
}

void CGameWnd::OnNavigateComplete(const QUrl &url)
{
    GamePageList::Instance().Store(GamePageList::Field::Urls, this, url.toString());
    // Only the selected tab's page comes up, and only over a main window that shows: any
    // other would cover the page the tab strip says is shown, or stand alone on the
    // desktop while the main window is minimised or hidden.
    if (OwnerShows() && IsSelectedPage())
        show();
}

void CGameWnd::OnTitleChange(const QString &text)
{
    GamePageList::Instance().Store(GamePageList::Field::RawTitles, this, text);
    const std::optional<QString> title = CleanPageTitle(text, m_page ? m_page->url().toString() : QString());
    if (title && TabStrip())
        TabStrip()->SetPageTitle(this, *title);
}

void CGameWnd::LaunchGameLauncher(const QString &address)
{
    const std::optional<EnterGameRequest> request =
        ParseEnterGameRequest(address, WebPages::PortalPage(m_hosts));
    if (!request)
        return;
    const QString launcher = LauncherPath(InstallFolder(), request->name);
    if (!launcher.isEmpty() && QFileInfo(launcher).isFile()) {
        LaunchProgram(launcher);
        return;
    }
    if (ShowSkinnedMessage(MB_OKCANCEL, QString::fromUtf8(kDownloadCaption), QString::fromUtf8(kDownloadQuestion))
        == IDOK) {
        // A dialog of the main window, which it blocks while it runs: the page's tab cannot
        // be closed under it.
        QWidget *owner = parentWidget() ? parentWidget()->window() : this;
        CDownGameDlg download(request->name, CurrentGameDownloadPlaces(m_hosts), owner);
        download.DoModal();
        return;
    }
    QDesktopServices::openUrl(QUrl(request->browserPage));
}

void CGameWnd::keyPressEvent(QKeyEvent *event)
{
    if (IsEnterKey(event) && QApplication::focusWidget() == this && HasWindow()) {
        FocusContent();
        // The engine takes the focus into the content asynchronously and drops keys that
        // arrive before; the key follows once it has settled.
        QPointer<QWidget> target = m_view->focusProxy();
        auto copy = std::make_shared<QKeyEvent>(event->type(), event->key(), event->modifiers(),
                                                event->nativeScanCode(), event->nativeVirtualKey(),
                                                event->nativeModifiers(), event->text(), event->isAutoRepeat(),
                                                ushort(event->count()));
        QTimer::singleShot(kContentFocusSettleMs, this, [target, copy] {
            if (target)
                QApplication::sendEvent(target, copy.get());
        });
        return;
    }
    if (event->key() == Qt::Key_F5) {
        Refresh();
        return;
    }
    QWidget::keyPressEvent(event);
}

// The window manager marks a page hidden with its minimised owner as iconified, which Qt
// takes for the page's own state; shown with that state, the page would ask to be mapped
// iconified, and a window manager that grants it would leave the owner without its page.
// The native window's state is what decides how it is mapped.
void CGameWnd::setVisible(bool visible)
{
    if (QWindow *window = windowHandle(); visible && window && (window->windowStates() & Qt::WindowMinimized))
        window->setWindowStates(window->windowStates() & ~Qt::WindowMinimized);
    QWidget::setVisible(visible);
}

// A page that comes up under an open further login or dialog (its load finished late, the
// window came back from the minimised state) must not cover it. Queued: the window is
// mapped once the show event has been handled.
void CGameWnd::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    windowHandle()->installEventFilter(this);
    QTimer::singleShot(0, this, &KeepAboveGame);
}

void CGameWnd::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    m_activateWhenExposed = false;
    // A page that goes hands what it kept above it back to the main window at once: the
    // window manager would show a window whose owner is gone, also in the minimised state.
    KeepAboveGame();
    // The page's drawing scene has just gone (see watchFocusProxy).
    FreedMemory::ReleaseSoon();
}

QRect CGameWnd::Place() const
{
    return parentWidget() ? GameLayout::PageRect(parentWidget()->frameGeometry()) : geometry();
}

void CGameWnd::FollowOwner()
{
    setGeometry(Place());
    m_placeCheck->start();
}

void CGameWnd::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    if (event->spontaneous())
        m_placeCheck->start();
}

void CGameWnd::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (event->spontaneous())
        m_placeCheck->start();
}

// The window manager carries out the page's moves in turn and, after a maximise or its end,
// at times reports an earlier one last or none: the page is left where the main window was,
// and Qt may not know it. Once the moves have settled, a page the X server has off its place
// is put back, a few times for one place, so a window manager that keeps it elsewhere is not
// asked without end.
void CGameWnd::returnToPlace()
{
    const QRect place = Place();
    QRect now = WindowManager::ServerGeometry(windowHandle());
    if (now.isEmpty())
        now = geometry();
    if (!isVisible() || now == place)
        return;
    if (place != m_returnedTo) {
        m_returnedTo = place;
        m_returns = 0;
    }
    if (m_returns++ >= kMaxReturns)
        return;
    if (geometry() != place)
        setGeometry(place);
    else
        WindowManager::RequestGeometry(windowHandle(), place);
    m_placeCheck->start();
}

void CGameWnd::closeEvent(QCloseEvent *event)
{
    event->ignore();
}

bool CGameWnd::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == windowHandle() && event->type() == QEvent::Expose && m_activateWhenExposed
        && windowHandle()->isExposed()) {
        m_activateWhenExposed = false;
        if (OwnerShows())
            activateWindow();
    }
    if (watched == m_watchedProxy && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_F5) {
        Refresh();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void CGameWnd::handleLoadFinished()
{
    watchFocusProxy();
    OnNavigateComplete(m_page->url());
}

void CGameWnd::handleLoadingChanged(const QWebEngineLoadingInfo &info)
{
    if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus && info.errorCode() != WebEngineSetup::kAbortedError
        && WebEngineSetup::IsFailedConnection(info.errorDomain()))
        m_page->setHtml(ErrorPageHtml(kFailedHeading, kFailedText), LastGameAddress());
}

void CGameWnd::handleAppAddress(const QString &address)
{
    if (address.section(QLatin1Char('/'), 0, 2) == QLatin1String(kCloseTabAddress)) {
        CloseThroughTab();
        return;
    }
    LaunchGameLauncher(address);
}

QString CGameWnd::ErrorPageHtml(const char *heading, const char *text) const
{
    return WebEngineSetup::GameErrorPageHtml(QString::fromUtf8(heading), QString::fromUtf8(text), LastGameAddress());
}

QUrl CGameWnd::LastGameAddress() const
{
    const GamePageList &list = GamePageList::Instance();
    const QString stored = list.Urls.value(list.IndexOf(this));
    return QUrl(stored.isEmpty() ? m_address : stored);
}

void CGameWnd::CloseThroughTab()
{
    CCaptTab *strip = TabStrip();
    if (!strip)
        return;
    // The tab deletes this page; it asks from the event loop, after this call returned.
    QPointer<CGameWnd> self(this);
    QTimer::singleShot(0, strip, [strip, self] {
        if (self)
            strip->ConfirmClosePage(GamePageList::Instance().IndexOf(self));
    });
}

void CGameWnd::watchFocusProxy()
{
    QWidget *proxy = m_view ? m_view->focusProxy() : nullptr;
    if (!proxy || proxy == m_watchedProxy)
        return;
    if (m_watchedProxy)
        m_watchedProxy->removeEventFilter(this);
    proxy->installEventFilter(this);
    m_watchedProxy = proxy;
    // The engine draws the page through a Quick scene whose textures and frame copies
    // (several full-page images) would otherwise stay while the page's tab is not shown.
    if (auto *quick = qobject_cast<QQuickWidget *>(proxy))
        quick->quickWindow()->setPersistentSceneGraph(false);
}

bool CGameWnd::IsSelectedPage() const
{
    return TabStrip() && TabStrip()->CurrentPage() == this;
}
