#include "game/CFenlowDlg.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QPointer>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineView>

#include "app/InstanceChannel.h"
#include "app/PlatformHosts.h"
#include "app/ProgramTitle.h"
#include "game/CCaptTab.h"
#include "game/CGameWnd.h"
#include "game/GameLayout.h"
#include "game/WebPages.h"
#include "skin/CBtnEx.h"
#include "skin/CMessageBox.h"
#include "skin/SkinImage.h"
#include "web/GamePageList.h"

namespace {

QPointer<QWidget> g_activeLoginWindow;

const char *const kCloseQuestion = "窗口即将关闭，是否要退出游戏？";
const char *const kPageLimit = "当前窗体只支持3个游戏页";

constexpr int kTabStripId = 1011;
constexpr int kMuteTimerMs = 400;
constexpr int kMaxToggleReceivers = 10;
const QColor kButtonTextColor = Qt::white;

struct ButtonSpec {
    int id;
    int image;
    const char *text;
};

// In the order the buttons are bound to the window.
constexpr std::array<ButtonSpec, 7> kButtonSpecs{{
    {GameLayout::kHideButton, SkinId::WideButton, ""},
    {GameLayout::kSystemButton, SkinId::ToolButton, "系统"},
    {GameLayout::kSoundButton, SkinId::SoundOn, ""},
    {GameLayout::kPortalButton, SkinId::ToolButton, "官网"},
    {GameLayout::kForumButton, SkinId::ToolButton, "论坛"},
    {GameLayout::kPayButton, SkinId::ToolButton, "充值"},
    {GameLayout::kServiceButton, SkinId::ToolButton, "客服"},
}};

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

CFenlowDlg::CFenlowDlg(LoginFactory loginFactory, QWidget *parent)
    : CDlgEx(kTemplateId, parent)
    , m_loginFactory(std::move(loginFactory))
    , m_tabs(new CCaptTab(this))
{
    for (std::size_t i = 0; i < kButtonSpecs.size(); ++i) {
        const ButtonSpec &spec = kButtonSpecs[i];
        m_buttons[i] = new CBtnEx(spec.id, this);
        if (!WebPages::ButtonPage(spec.id, PlatformHosts::Current()).isEmpty())
            connect(m_buttons[i], &CBtnEx::clicked, this, [this, id = spec.id] { openWebPage(id); });
    }
    connect(Button(GameLayout::kHideButton), &CBtnEx::clicked, this, [this] { ToggleMainWindow(false); });
    connect(Button(GameLayout::kSoundButton), &CBtnEx::clicked, this, [this] { MuteRequested = !MuteRequested; });
    m_tabs->setObjectName(QStringLiteral("TabStrip%1").arg(kTabStripId));
    connect(m_tabs, &CCaptTab::pageCountChanged, this, &CFenlowDlg::updateMinimumSize);
}

CFenlowDlg::~CFenlowDlg() = default;

bool CFenlowDlg::OnInitDialog()
{
    CDlgEx::OnInitDialog();
    setWindowIcon(AppIcon());
    InitWindow();
    m_endpoint = new InstanceEndpoint(this);
    // Without an endpoint later starts cannot find this window: say so, and go on.
    if (!m_endpoint->Listen())
        qWarning("No instance endpoint: further starts will not find this window");
    connect(m_endpoint, &InstanceEndpoint::messageReceived, this, &CFenlowDlg::handleInstanceMessage,
            Qt::QueuedConnection);
    m_muteTimer = startTimer(kMuteTimerMs);
    return true;
}

void CFenlowDlg::InitWindow()
{
    SetTitle(QString::fromUtf8(kProgramTitle));
    m_nCaptionHeight = GameLayout::kCaptionHeight;
    m_nBorder = GameLayout::kFrame;
    m_nBtnRightMargin = 0;
    m_nBtnTop = 0;
    m_nBtnGap = 0;
    SetSkin(LoadSkinImage(SkinId::MainBack), LoadSkinImage(SkinId::CloseButton), LoadSkinImage(SkinId::MinimizeButton),
            LoadSkinImage(SkinId::MaximizeButton), LoadSkinImage(SkinId::RestoreButton));
    m_bResizable = true;
    ToggleMaximize();

    for (std::size_t i = 0; i < kButtonSpecs.size(); ++i) {
        m_buttons[i]->SetImage(LoadSkinImage(kButtonSpecs[i].image), true);
        m_buttons[i]->m_strText = QString::fromUtf8(kButtonSpecs[i].text);
        m_buttons[i]->m_crText = kButtonTextColor;
    }

    m_tabs->SetTabImages(LoadSkinImage(SkinId::TabExtra), LoadSkinImage(SkinId::TabItem));
    m_tabs->m_nTextLeft = 16;
    m_tabs->m_nTextRight = 13;
    m_tabs->m_nTextFormat = TextFormat::VCenter | TextFormat::SingleLine;
    m_tabs->ShowNewestPage();
    updateMinimumSize();
    layoutButtons(width());
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
        m_tabs->ShowCurrentPage(true);
        raise();
        activateWindow();
        loginShown = true;
    }
    if (QWidget *login = ActiveLoginWindow()) {
        SetShownKeepingModalLoop(login, loginShown);
        if (loginShown)
            login->raise();
    }
    if (tellOthers)
        InstanceChannel::Broadcast(kToggleMessage, EndpointPath(), kMaxToggleReceivers);
}

void CFenlowDlg::OpenFurtherLogin()
{
    // A hand-over that arrives while a login (or the limit notice) is open changes nothing.
    if (m_openingLogin || !m_loginFactory)
        return;
    m_openingLogin = true;
    GamePageList &pages = GamePageList::Instance();
    const int before = pages.Count();
    if (before >= kMaxPages) {
        ShowSkinnedMessage(MB_OK, QString::fromUtf8(kProgramTitle), QString::fromUtf8(kPageLimit));
    } else {
        const std::unique_ptr<QDialog> login = m_loginFactory(this);
        g_activeLoginWindow = login.get();
        const int result = login->exec();
        g_activeLoginWindow = nullptr;
        if (result == IDOK && pages.Count() > before) {
            m_tabs->ShowNewestPage();
            if (windowState() & Qt::WindowMinimized)
                setWindowState(windowState() & ~Qt::WindowMinimized);
        }
    }
    m_openingLogin = false;
}

void CFenlowDlg::ExitProgram()
{
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
}

void CFenlowDlg::moveEvent(QMoveEvent *event)
{
    CDlgEx::moveEvent(event);
    m_tabs->LayoutGamePages();
}

void CFenlowDlg::changeEvent(QEvent *event)
{
    CDlgEx::changeEvent(event);
    // Owned page windows follow the main window into and out of the minimised state.
    if (event->type() == QEvent::WindowStateChange && isVisible())
        m_tabs->ShowCurrentPage(!(windowState() & Qt::WindowMinimized));
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
    QDesktopServices::openUrl(QUrl(WebPages::ButtonPage(buttonId, PlatformHosts::Current())));
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
    // Pages opened since the last change follow the state too.
    for (CGameWnd *page : std::as_const(GamePageList::Instance().Pages)) {
        if (page->View() && page->View()->page()->isAudioMuted() != bool(MuteApplied))
            page->View()->page()->setAudioMuted(MuteApplied);
    }
}
