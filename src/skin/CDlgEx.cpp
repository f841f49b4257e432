#include "CDlgEx.h"

#include <QApplication>
#include <QEventLoop>
#include <QFontInfo>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include "platform/WindowManager.h"
#include "skin/CBtnEx.h"
#include "skin/MessageBoxLayout.h"
#include "skin/ProgressDialogLayout.h"
#include "skin/SkinImage.h"

namespace {

constexpr int kTitleGap = 5;
// A dropped minimise is noticed within kMinimiseCheckMs and asked again every
// kChecksPerMinimiseAsk checks, for about two seconds.
constexpr int kMinimiseCheckMs = 100;
constexpr int kChecksPerMinimiseAsk = 4;
constexpr int kMinimiseChecks = 20;
// How long a refused request for the keyboard is given before it is asked again, and how
// many times it is.
constexpr int kKeyboardRecheckMs = 300;
constexpr int kKeyboardAsks = 3;

Qt::Edges EdgesFor(HitCode hit)
{
    switch (hit) {
    case HitCode::Left: return Qt::LeftEdge;
    case HitCode::Right: return Qt::RightEdge;
    case HitCode::Top: return Qt::TopEdge;
    case HitCode::Bottom: return Qt::BottomEdge;
    case HitCode::TopLeft: return Qt::TopEdge | Qt::LeftEdge;
    case HitCode::TopRight: return Qt::TopEdge | Qt::RightEdge;
    case HitCode::BottomLeft: return Qt::BottomEdge | Qt::LeftEdge;
    case HitCode::BottomRight: return Qt::BottomEdge | Qt::RightEdge;
    default: return {};
    }
}

Qt::CursorShape CursorFor(HitCode hit)
{
    switch (hit) {
    case HitCode::Left:
    case HitCode::Right: return Qt::SizeHorCursor;
    case HitCode::Top:
    case HitCode::Bottom: return Qt::SizeVerCursor;
    case HitCode::TopLeft:
    case HitCode::BottomRight: return Qt::SizeFDiagCursor;
    case HitCode::TopRight:
    case HitCode::BottomLeft: return Qt::SizeBDiagCursor;
    default: return Qt::ArrowCursor;
    }
}

// The rectangle `start` with the edges of `edges` moved by `delta`, no smaller than `minimum`.
QRect ResizedRect(const QRect &start, Qt::Edges edges, QPoint delta, QSize minimum)
{
    QRect r = start;
    const int minW = std::max(minimum.width(), 1), minH = std::max(minimum.height(), 1);
    if (edges & Qt::LeftEdge)
        r.setLeft(std::min(start.left() + delta.x(), start.right() + 1 - minW));
    if (edges & Qt::RightEdge)
        r.setRight(std::max(start.right() + delta.x(), start.left() + minW - 1));
    if (edges & Qt::TopEdge)
        r.setTop(std::min(start.top() + delta.y(), start.bottom() + 1 - minH));
    if (edges & Qt::BottomEdge)
        r.setBottom(std::max(start.bottom() + delta.y(), start.top() + minH - 1));
    return r;
}

// The launcher window a dialog without a parent belongs to: the active one, else a shown
// application window; none while the program has no window up.
QWidget *OwnerFor(const QWidget *dialog)
{
    QWidget *active = QApplication::activeWindow();
    if (active && active != dialog)
        return active;
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (top != dialog && top->isVisible() && top->windowType() == Qt::Window)
            return top;
    }
    return nullptr;
}

// The window `window` is shown inside of, else the one it belongs to.
const QWindow *OwnerWindow(const QWindow *window)
{
    return window->parent() ? window->parent() : window->transientParent();
}

// Whether the window-modal `modal` blocks `window`: one of the windows `window` lies in or
// belongs to is one that `modal` belongs to.
bool Blocks(const QWindow *modal, const QWindow *window)
{
    for (const QWindow *w = window; w; w = OwnerWindow(w)) {
        for (const QWindow *m = OwnerWindow(modal); m; m = OwnerWindow(m)) {
            if (m == w)
                return true;
        }
    }
    return false;
}

} // namespace

void RunWindowModal(QDialog *dialog)
{
    QWidget *owner = dialog->parentWidget() ? dialog->parentWidget()->window() : OwnerFor(dialog);
    if (!owner)
        return;
    if (!dialog->parentWidget()) {
        dialog->winId();
        owner->winId();
        dialog->windowHandle()->setTransientParent(owner->windowHandle());
    }
    dialog->setWindowModality(Qt::WindowModal);
}

CDlgEx::CDlgEx(int templateId, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowMinimizeButtonHint)
    , m_templateId(templateId)
{
    setMouseTracking(true);
    QFont dialogFont(QStringLiteral("WenQuanYi Micro Hei"));
    dialogFont.setPixelSize(12);
    setFont(dialogFont);
    connect(qApp, &QGuiApplication::focusWindowChanged, this, &CDlgEx::keepKeyboard);
}

CDlgEx::~CDlgEx() = default;

// A window manager may hand the keyboard to a window this dialog blocks: to the window
// a closing dialog belonged to, just as this one came up over it, or to the owner the
// player clicked. The keyboard comes back here, as it does to any modal dialog, so Enter
// and Esc reach it.
void CDlgEx::keepKeyboard(QWindow *focus)
{
    if (!blockedHasKeyboard(focus))
        return;
    activateWindow();
    askKeyboardAgain(kKeyboardAsks);
}

// Qt stamps a request for the keyboard with the time of the last event the program handled,
// which a window manager refuses once it has seen a later click of the player's: while the
// keyboard is still away a moment later, it is asked for with the server's time now, a few
// times. Not while the window goes into the minimised state with its owner, which that would
// undo.
void CDlgEx::askKeyboardAgain(int asks)
{
    QTimer::singleShot(kKeyboardRecheckMs, this, [this, asks] {
        const QWindow *own = windowHandle();
        const QWindow *owner = own ? own->transientParent() : nullptr;
        if (!blockedHasKeyboard(QGuiApplication::focusWindow()) || WindowManager::IsIconic(own)
            || (owner && WindowManager::IsIconic(owner)))
            return;
        WindowManager::Activate(own);
        if (asks > 1)
            askKeyboardAgain(asks - 1);
    });
}

bool CDlgEx::blockedHasKeyboard(const QWindow *focus) const
{
    const QWindow *own = windowHandle();
    return focus && own && focus != own && isVisible() && windowModality() == Qt::WindowModal
        && QApplication::activeModalWidget() == this && Blocks(own, focus);
}

int CDlgEx::DoModal()
{
    if (windowType() != Qt::Window) {
        RunWindowModal(this);
        return exec();
    }
    // An application window: the window manager must see a plain top-level window, so the
    // modal loop is our own rather than a modal state the window system is told about.
    QEventLoop loop;
    connect(this, &QDialog::finished, &loop, &QEventLoop::exit);
    show();
    return loop.exec();
}

void CDlgEx::setVisible(bool visible)
{
    if (visible && !m_initDone) {
        m_initDone = true;
        OnInitDialog();
    }
    QDialog::setVisible(visible);
    // Takes the keyboard also where no window manager hands it to a new window.
    if (visible)
        activateWindow();
}

bool CDlgEx::OnInitDialog()
{
    const QRect work = WorkArea();
    m_nMaxWidth = work.width();
    m_nMaxHeight = work.height();
    m_rcRestore = InitialRestoreRect(work);
    return true;
}

QRect CDlgEx::WorkArea() const
{
    const QScreen *s = screen();
    return s ? s->availableGeometry() : QRect(0, 0, m_nMaxWidth, m_nMaxHeight);
}

void CDlgEx::accept()
{
    done(IDOK);
}

void CDlgEx::reject()
{
    done(IDCANCEL);
}

bool CDlgEx::SetSkin(const QImage &background, const QImage &closeImage, const QImage &minimizeImage,
                     const QImage &maximizeImage, const QImage &restoreImage)
{
    m_bmpBack = background;
    updateRegion();

    int x = width() - m_nBtnRightMargin;
    const int y = m_nBtnTop;
    if (!closeImage.isNull())
        createCaptionButton(x, m_btnClose, closeImage, y, kCaptionCloseId);
    if (!maximizeImage.isNull()) {
        x = (m_btnClose ? m_btnClose->x() : x) - m_nBtnGap;
        createCaptionButton(x, m_btnMax, maximizeImage, y, kCaptionMaximizeId);
        m_bmpMax = maximizeImage;
        m_bmpRestore = restoreImage;
    }
    if (!minimizeImage.isNull()) {
        const CBtnEx *left = m_btnMax ? m_btnMax : m_btnClose;
        x = (left ? left->x() : x) - m_nBtnGap;
        createCaptionButton(x, m_btnMin, minimizeImage, y, kCaptionMinimizeId);
    }
    update();
    return true;
}

void CDlgEx::createCaptionButton(int rightEdge, CBtnEx *&button, const QImage &image, int top, int id)
{
    delete button;
    button = new CBtnEx(id, this);
    button->setFocusPolicy(Qt::NoFocus);
    button->setGeometry(CaptionButtonRect(rightEdge, top, image.size()));
    button->SetImage(image, false);
    connect(button, &CBtnEx::clicked, this, &CDlgEx::handleCaptionButton);
    button->show();
}

void CDlgEx::handleCaptionButton()
{
    const auto *button = qobject_cast<CBtnEx *>(sender());
    if (!button)
        return;
    switch (button->GetDlgCtrlID()) {
    case kCaptionCloseId: OnCaptionClose(); break;
    case kCaptionMinimizeId: OnCaptionMinimize(); break;
    case kCaptionMaximizeId: ToggleMaximize(); break;
    default: break;
    }
}

void CDlgEx::placeCaptionButtons()
{
    int right = width() - m_nBtnRightMargin;
    for (CBtnEx *button : {m_btnClose, m_btnMax, m_btnMin}) {
        if (!button)
            continue;
        button->move(right - button->width(), button->y());
        right = button->x() - m_nBtnGap;
    }
}

void CDlgEx::updateRegion()
{
    if (m_bmpBack.isNull())
        return;
    setMask(SkinWindowRegion(m_bmpBack, size()));
}

void CDlgEx::SetTitle(const QString &text)
{
    setWindowTitle(text);
    update(TitleRect());
}

QRect CDlgEx::TitleRect() const
{
    const QPoint origin = titleOrigin();
    const QFontMetrics metrics(font());
    return QRect(origin, QSize(std::max(0, width() - origin.x()), metrics.height()));
}

int CDlgEx::iconOffset() const
{
    return testAttribute(Qt::WA_SetWindowIcon) && !windowIcon().isNull() ? kSmallIconSize : 0;
}

QPoint CDlgEx::titleOrigin() const
{
    return QPoint(iconOffset() + m_nBorder + kTitleGap, TitleTop(m_nCaptionHeight, QFontInfo(font()).pixelSize()));
}

void CDlgEx::RedrawCaptionButtons()
{
    for (CBtnEx *button : {m_btnClose, m_btnMax, m_btnMin}) {
        if (button)
            button->update();
    }
}

bool CDlgEx::EraseBackground(QPainter &painter)
{
    if (m_bmpBack.isNull())
        return false;
    // Painted straight into the caller's off-screen image: a child asking for the part
    // under it costs that part, not a window-sized image of its own.
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (const NineGridPiece &piece : NineGridPieces(size(), m_bmpBack.size(), m_nBorder, m_nCaptionHeight)) {
        if (piece.target.isEmpty() || piece.source.isEmpty())
            continue;
        painter.drawImage(piece.target, m_bmpBack, piece.source);
    }
    if (iconOffset())
        windowIcon().paint(&painter, QRect(m_nBorder, IconTop(m_nCaptionHeight), kSmallIconSize, kSmallIconSize));
    if (m_bDrawTitle) {
        painter.setFont(font());
        painter.setPen(m_crTitle);
        painter.drawText(TitleRect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, windowTitle());
    }
    painter.restore();
    return true;
}

void CDlgEx::paintEvent(QPaintEvent *event)
{
    // One off-screen image for the area to repaint, not for the whole window.
    const QRect area = event->rect();
    QImage offscreen(area.size(), QImage::Format_ARGB32_Premultiplied);
    offscreen.fill(Qt::transparent);
    {
        QPainter p(&offscreen);
        p.translate(-area.topLeft());
        EraseBackground(p);
    }
    QPainter(this).drawImage(area.topLeft(), offscreen);
}

void CDlgEx::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    if (m_bmpBack.isNull())
        return;
    updateRegion();
    update();
    placeCaptionButtons();
    if (m_systemDrag && !m_bMaximized)
        m_rcRestore = geometry();
}

void CDlgEx::moveEvent(QMoveEvent *event)
{
    QDialog::moveEvent(event);
    if (m_systemDrag && !m_bMaximized)
        m_rcRestore = geometry();
}

HitCode CDlgEx::HitTest(QPoint clientPoint) const
{
    return DlgHitTest(clientPoint, size(), m_nBorder, m_nCaptionHeight, m_bResizable, m_bMaximized);
}

bool CDlgEx::startDrag(HitCode hit, QPoint globalPos)
{
    QWindow *window = windowHandle();
    bool started = false;
    if (window)
        started = IsSizingHit(hit) ? window->startSystemResize(EdgesFor(hit)) : window->startSystemMove();
    m_systemDrag = started;
    if (!started) {
        // No window manager to run the loop: follow the mouse ourselves until release.
        m_dragHit = hit;
        m_dragStart = globalPos;
        m_dragGeometry = geometry();
    }
    return started;
}

void CDlgEx::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QDialog::mousePressEvent(event);
        return;
    }
    const HitCode hit = HitTest(event->position().toPoint());
    if (hit == HitCode::Client) {
        QDialog::mousePressEvent(event);
        return;
    }
    startDrag(hit, event->globalPosition().toPoint());
    m_rcRestore = geometry();
}

void CDlgEx::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint global = event->globalPosition().toPoint();
    if (m_dragHit != HitCode::Client && (event->buttons() & Qt::LeftButton)) {
        const QPoint delta = global - m_dragStart;
        if (m_dragHit == HitCode::Caption)
            move(m_dragGeometry.topLeft() + delta);
        else
            setGeometry(ResizedRect(m_dragGeometry, EdgesFor(m_dragHit), delta, minimumSize()));
        m_rcRestore = geometry();
        return;
    }
    if (m_bResizable)
        setCursor(CursorFor(HitTest(event->position().toPoint())));
    QDialog::mouseMoveEvent(event);
}

void CDlgEx::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && m_dragHit != HitCode::Client) {
        m_dragHit = HitCode::Client;
        m_rcRestore = geometry();
        return;
    }
    QDialog::mouseReleaseEvent(event);
}

void CDlgEx::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        const int y = event->position().toPoint().y();
        const bool inCaption = m_nCaptionHeight == -1 || (y >= 0 && y < m_nCaptionHeight);
        if (m_bMaximized) {
            if (inCaption)
                ToggleMaximize();
        } else if (m_bResizable && HitTest(event->position().toPoint()) == HitCode::Caption) {
            ToggleMaximize();
            return;
        }
    }
    QDialog::mouseDoubleClickEvent(event);
}

void CDlgEx::OnCaptionClose()
{
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

// Only the minimised state is asked for, and of the window manager directly: a window it
// maximised stays so, and comes back maximised. A window manager may drop the request while
// it still maps the window (mutter ignores one that comes within about a second of the first
// mapping): until the window is iconified it is asked again now and then, as long as it shows.
void CDlgEx::OnCaptionMinimize()
{
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!WindowManager::Iconify(windowHandle())) {
                setWindowState(Qt::WindowMinimized);
                return;
            }
            m_minimiseChecks = kMinimiseChecks;
            QTimer::singleShot(kMinimiseCheckMs, this, &CDlgEx::checkMinimised);
        },
        Qt::QueuedConnection);
}

void CDlgEx::checkMinimised()
{
    if (m_minimiseChecks <= 0 || !isVisible() || WindowManager::IsIconic(windowHandle())) {
        m_minimiseChecks = 0;
        return;
    }
    if (--m_minimiseChecks % kChecksPerMinimiseAsk == 0)
        WindowManager::Iconify(windowHandle());
    QTimer::singleShot(kMinimiseCheckMs, this, &CDlgEx::checkMinimised);
}

void CDlgEx::ToggleMaximize()
{
    m_systemDrag = false;
    m_dragHit = HitCode::Client;
    // Flipped first: the window state changes below report against the new state.
    m_bMaximized = !m_bMaximized;
    if (!m_bMaximized) {
        // A window the window manager maximised takes no other geometry until it has ended
        // that: the restore rectangle follows once it reports the end.
        m_restorePending = bool(windowState() & Qt::WindowMaximized);
        if (m_restorePending)
            setWindowState(windowState() & ~Qt::WindowMaximized);
        else
            setGeometry(m_rcRestore);
        UpdateMaxButtonImage(false);
    } else {
        setGeometry(MaximizedRect(WorkArea(), m_nMaxWidth, m_nMaxHeight));
        UpdateMaxButtonImage(true);
    }
    if (m_btnMax) {
        m_btnMax->m_bHover = false;
        m_btnMax->m_bTracking = false;
        m_btnMax->update();
    }
}

// A maximise or its end that the window manager ran (its keyboard shortcut, a taskbar's
// menu) puts the skin into the same state, so the caption's button shows what it would do.
// The minimised state says nothing about it: a restored window keeps what it was.
void CDlgEx::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange)
        return;
    if (windowState() & Qt::WindowMinimized) {
        // Done: a restore that follows soon must not be minimised again by a pending check.
        m_minimiseChecks = 0;
        return;
    }
    const Qt::WindowStates before = static_cast<QWindowStateChangeEvent *>(event)->oldState();
    const bool byManager = bool(windowState() & Qt::WindowMaximized);
    const bool changed = byManager != bool(before & Qt::WindowMaximized) && !(before & Qt::WindowMinimized);
    if (changed && !byManager && m_restorePending) {
        m_restorePending = false;
        setGeometry(m_rcRestore);
    }
    if (changed && byManager != bool(m_bMaximized)) {
        m_bMaximized = byManager;
        UpdateMaxButtonImage(byManager);
    }
}

void CDlgEx::UpdateMaxButtonImage(bool restore)
{
    if (m_btnMax)
        m_btnMax->SetImage(restore ? m_bmpRestore : m_bmpMax, false);
}

void CDlgEx::UseSmallDialogSkin()
{
    SetCaptionBand(ProgressDialogLayout::kCaptionHeight, ProgressDialogLayout::kBorder);
    SetSkin(LoadSkinImage(SkinId::SmallDialogBack), LoadSkinImage(SkinId::CloseButton), {}, {}, {});
}

void CDlgEx::UseMainWindowSkin(int captionHeight, int border)
{
    SetCaptionBand(captionHeight, border);
    SetSkin(LoadSkinImage(SkinId::MainBack), LoadSkinImage(SkinId::CloseButton), LoadSkinImage(SkinId::MinimizeButton),
            LoadSkinImage(SkinId::MaximizeButton), LoadSkinImage(SkinId::RestoreButton));
    m_bResizable = true;
}

void CDlgEx::SetCaptionBand(int captionHeight, int border)
{
    m_nCaptionHeight = captionHeight;
    m_nBorder = border;
    m_nBtnRightMargin = 0;
    m_nBtnTop = 0;
    m_nBtnGap = 0;
}
