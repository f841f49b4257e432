#include "login/CLoginDlg.h"

#include <utility>

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QWebEngineView>
#include <QWindow>

#include "base/ProgramPaths.h"
#include "base/ProgramTitle.h"
#include "login/AppAddress.h"
#include "login/CMyBrowserControlSite.h"
#include "login/LoadGameRequest.h"
#include "login/PixelRegion.h"
#include "game/GamePageList.h"
#include "platform/WindowShape.h"

namespace {

// How often the colour-keyed shape follows the page's rendering.
constexpr int kMaskIntervalMs = 250;
// How often the rendering is checked while the window waits for the page's first frame.
constexpr int kFirstFrameCheckMs = 30;
// How long a page may show nothing but the engine's canvas, once it has loaded and the
// window has shown, before that counts as the page's own look.
constexpr int kPlainCanvasGraceMs = 1000;
// How long a page loaded behind a hidden window goes on rendering: long enough for its
// first frame, but an animated page does not run on unseen for long.
constexpr int kHiddenRenderingMs = 5000;

bool IsSwallowedKey(const QEvent *event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
        return false;
    const int key = static_cast<const QKeyEvent *>(event)->key();
    return key == Qt::Key_Escape || key == Qt::Key_F5;
}

} // namespace

CLoginDlg::CLoginDlg(const QString &pageUrl, GamePageFactory pageFactory, QWidget *owner, SlotProfile profile)
    : CDHtmDlgEx(owner, ElementEvents::None, std::move(profile))
    , PageUrl(pageUrl)
    , CommandTable{{QStringLiteral("minimize"), &CLoginDlg::Minimize},
                   {QStringLiteral("exitgame"), &CLoginDlg::ExitGame},
                   {QStringLiteral("restart"), &CLoginDlg::Restart},
                   {QStringLiteral("loadgame"), &CLoginDlg::LoadGame}}
    , m_pageFactory(std::move(pageFactory))
{
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    setWindowTitle(QString::fromUtf8(kProgramTitle));
    m_maskTimer.setInterval(kMaskIntervalMs);
    connect(&m_maskTimer, &QTimer::timeout, this, &CLoginDlg::UpdateKeyMask);
    connect(Page(), &HostWebPage::documentArrived, this, &CLoginDlg::PageArrived);
    qApp->installEventFilter(this);
}

CLoginDlg::~CLoginDlg()
{
    qApp->removeEventFilter(this);
}

void CLoginDlg::Create()
{
    winId();
    connect(windowHandle(), &QWindow::screenChanged, this, &CLoginDlg::ScreenChanged);
    Navigate(PageUrl);
    // A hidden view's page renders nothing, and its first frame after the window shows
    // took most of a second on a busy machine; the page is treated as shown until then.
    // Set before the navigation, the view's hidden state would win.
    Page()->setVisible(true);
    connect(Page(), &QWebEnginePage::loadFinished, this, [this] {
        QTimer::singleShot(kHiddenRenderingMs, this, [this] {
            if (!isVisible())
                Page()->setVisible(false);
        });
    });
}

void CLoginDlg::ScreenChanged()
{
    // Another screen may have another scale: the page renders anew in other device
    // pixels, and the shape follows its first frame there as it follows the first one.
    m_rendering = QImage();
    if (isVisible())
        AwaitFirstFrame();
}

void CLoginDlg::FollowOwner(bool ownerShown)
{
    if (ownerShown && !m_ownerShown) {
        m_ownerShown = true;
        // From the event loop: the owner may be showing still, before its modal loop runs.
        QTimer::singleShot(0, this, [this] {
            for (const QString &address : std::exchange(m_heldCommands, {}))
                DispatchAppCommand(address);
        });
    }
    if (ownerShown && m_navigated) {
        if (!isVisible())
            AwaitFirstFrame();
        show();
    } else {
        hide();
        m_maskTimer.stop();
        // The last rendering only spares work while the page is shown.
        m_rendering = QImage();
    }
}

void CLoginDlg::AwaitFirstFrame()
{
    // Until the page's first frame can be grabbed the engine shows its plain canvas, which
    // would flash over the background; the window keeps its last shape meanwhile, and
    // shows nothing before its first.
    if (!m_shape)
        ShowOnly(QRegion());
    m_frameAwaited = true;
    m_canvasSince.start();
    m_maskTimer.start(kFirstFrameCheckMs);
}

bool CLoginDlg::FrameStillAwaited(const QImage &rendering) const
{
    if (!IsPlainColour(rendering, Page()->backgroundColor().rgb()))
        return false;
    return !m_loaded || m_canvasSince.elapsed() < kPlainCanvasGraceMs;
}

bool CLoginDlg::DispatchAppCommand(const QString &address)
{
    const std::optional<AppCommand> command = ParseAppAddress(address);
    if (!command)
        return false;
    const auto entry = CommandTable.find(command->name);
    if (entry == CommandTable.end())
        return false;
    return (this->*(entry->second))(command->argc(), command->argv);
}

void CLoginDlg::OnBeforeNavigate(const QString &address)
{
    // A login built ahead acts only once the player has it: what its page asks for
    // before its owner first shows waits until then.
    if (!m_ownerShown) {
        m_heldCommands << address;
        return;
    }
    DispatchAppCommand(address);
}

void CLoginDlg::OnNavigateComplete(const QUrl &url)
{
    CDHtmDlgEx::OnNavigateComplete(url);
    PageLoaded();
    PageArrived();
    QTimer::singleShot(kMaskIntervalMs, this, &CLoginDlg::UpdateKeyMask);
}

void CLoginDlg::OnLoadInterrupted(const QUrl &)
{
    PageLoaded();
    PageArrived();
}

void CLoginDlg::PageLoaded()
{
    m_loaded = true;
    // The page's first frame follows its load by a moment.
    m_canvasSince.start();
}

void CLoginDlg::PageArrived()
{
    if (m_navigated)
        return;
    m_navigated = true;
    const QWidget *owner = parentWidget();
    FollowOwner(!owner || (owner->isVisible() && !owner->isMinimized()));
}

bool CLoginDlg::eventFilter(QObject *watched, QEvent *event)
{
    // Esc and F5 never reach the page: Esc cannot close it, F5 cannot reload it.
    if (watched->isWidgetType() && IsSwallowedKey(event) && static_cast<QWidget *>(watched)->window() == this) {
        event->accept();
        return true;
    }
    return CDHtmDlgEx::eventFilter(watched, event);
}

void CLoginDlg::closeEvent(QCloseEvent *event)
{
    EndLogin(IDCANCEL);
    event->ignore();
}

bool CLoginDlg::Minimize(int, const QStringList &)
{
    if (GamePageList::Instance().Count() == 0) {
        if (parentWidget())
            parentWidget()->showMinimized();
    } else {
        EndLogin(IDCANCEL);
    }
    return true;
}

bool CLoginDlg::ExitGame(int, const QStringList &)
{
    EndLogin(IDCANCEL);
    return true;
}

bool CLoginDlg::Restart(int, const QStringList &)
{
    LaunchProgram();
    EndLogin(IDOK);
    return true;
}

bool CLoginDlg::LoadGame(int, const QStringList &argv)
{
    if (!m_pageFactory)
        return false;
    const LoadGameRequest request = LoadGameRequest::FromArguments(argv);
    GamePageList &pages = GamePageList::Instance();
    if (pages.Contains(request.account, request.server)) {
        QMessageBox::information(this, QString::fromUtf8(kProgramTitle), DuplicateLoginMessage(request.account, request.server));
        EndLogin(IDCANCEL);
        return true;
    }
    pages.Append(m_pageFactory(request.pageAddress, Profile()), request.account, request.server);
    EndLogin(IDOK);
    return true;
}

void CLoginDlg::EndLogin(int result)
{
    if (auto *owner = qobject_cast<QDialog *>(parentWidget()))
        owner->done(result);
    else
        done(result);
}

void CLoginDlg::UpdateKeyMask()
{
    if (!isVisible())
        return;
    // Most checks find the page as it was; comparing renderings costs far less than
    // building the region again.
    QImage rendering = View()->grab().toImage();
    if (m_frameAwaited) {
        if (FrameStillAwaited(rendering))
            return;
        m_frameAwaited = false;
        m_maskTimer.setInterval(kMaskIntervalMs);
    }
    if (rendering == m_rendering)
        return;
    m_rendering = std::move(rendering);
    const QRegion shape = RegionWithoutKey(m_rendering, kColorKey).translated(RenderingOffset());
    if (shape != m_shape)
        ShowOnly(shape);
}

QPoint CLoginDlg::RenderingOffset()
{
    // On a display scaled by a fraction the window's height in device pixels can differ
    // by one from its rendering's. The window shows the rendering against its bottom
    // edge, so a taller rendering loses its top row and every row shows one pixel higher.
    winId();
    const QSize window = WindowShape::DeviceSize(windowHandle());
    if (window.isEmpty())
        return {};
    return {0, window.height() - m_rendering.height()};
}

void CLoginDlg::ShowOnly(const QRegion &devicePixels)
{
    // The rendering is grabbed in device pixels and the shape is set in the same pixels:
    // a shape in device-independent pixels would be rounded to whole ones on a display
    // scaled by a fraction, showing or cutting a device pixel along the page's edges.
    // The native window exists from here on, so the shape holds from its first frame.
    winId();
    WindowShape::SetDevicePixels(windowHandle(), devicePixels);
    m_shape = devicePixels;
}
