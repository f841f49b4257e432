#include "login/CLoginDlg.h"

#include <QApplication>
#include <QGuiApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QWebEngineView>

#include "app/ProgramPaths.h"
#include "app/ProgramTitle.h"
#include "login/AppAddress.h"
#include "login/LoadGameRequest.h"
#include "login/PixelRegion.h"
#include "web/GamePageList.h"

namespace {

// How often the colour-keyed shape follows the page's rendering.
constexpr int kMaskIntervalMs = 250;

bool IsSwallowedKey(const QEvent *event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
        return false;
    const int key = static_cast<const QKeyEvent *>(event)->key();
    return key == Qt::Key_Escape || key == Qt::Key_F5;
}

} // namespace

CLoginDlg::CLoginDlg(const QString &pageUrl, GamePageFactory pageFactory, QWidget *owner)
    : CDHtmDlgEx(owner, ElementEvents::None)
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
    qApp->installEventFilter(this);
}

CLoginDlg::~CLoginDlg()
{
    qApp->removeEventFilter(this);
}

void CLoginDlg::Create()
{
    Navigate(PageUrl);
}

void CLoginDlg::FollowOwner(bool ownerShown)
{
    if (ownerShown && m_navigated) {
        show();
        m_maskTimer.start();
    } else {
        hide();
        m_maskTimer.stop();
    }
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
    DispatchAppCommand(address);
}

void CLoginDlg::OnNavigateComplete(const QUrl &url)
{
    CDHtmDlgEx::OnNavigateComplete(url);
    if (!m_navigated) {
        m_navigated = true;
        const QWidget *owner = parentWidget();
        FollowOwner(!owner || (owner->isVisible() && !owner->isMinimized()));
    }
    QTimer::singleShot(kMaskIntervalMs, this, &CLoginDlg::UpdateKeyMask);
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
    pages.Append(m_pageFactory(request.pageAddress), request.account, request.server);
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
    if (rendering == m_rendering)
        return;
    m_rendering = std::move(rendering);
    QRegion shape = RegionWithoutKey(m_rendering, kColorKey);
    // An empty mask would mean no mask at all; a page of nothing but key colour keeps one
    // corner pixel instead.
    if (shape.isEmpty())
        shape = QRegion(0, 0, 1, 1);
    if (shape == m_mask)
        return;
    m_mask = shape;
    setMask(shape);
    // The window's repaints go through OpenGL, which never flushes the window system
    // connection the shape request waits in; without this the new shape is not shown.
    QGuiApplication::sync();
}
