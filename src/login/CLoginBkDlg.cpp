#include "login/CLoginBkDlg.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "base/ProgramTitle.h"
#include "platform/Compositing.h"
#include "platform/FreedMemory.h"
#include "login/PixelRegion.h"
#include "login/WindowDragger.h"

namespace {

// Opacity from which a pixel counts as part of the picture when nothing blends it.
constexpr int kSolidAlpha = 128;

} // namespace

CLoginBkDlg::CLoginBkDlg(QWidget *parent, GamePageFactory pageFactory, const QString &pageUrl, SlotProfile profile)
    : QDialog(parent)
    , LoginPage(pageUrl, std::move(pageFactory), this, std::move(profile))
    , AppIcon(::AppIcon())
    , BackImage(SkinResourcePath(kBackImageId))
    , ImageWidth(BackImage.width())
    , ImageHeight(BackImage.height())
{
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowIcon(AppIcon);
    setWindowTitle(QString::fromUtf8(kProgramTitle));
    LoginPage.installEventFilter(this);
    if (!BackImage.isNull()) {
        setFixedSize(ImageWidth, ImageHeight);
        // Without a compositing manager the alpha channel is not honoured and soft edges
        // would show as a dark halo, so the shape then keeps only the mostly opaque pixels.
        setMask(OpaqueRegion(BackImage, Compositing::IsActive() ? 1 : kSolidAlpha));
    }
    // The page loads at once, also in a login built ahead of its showing.
    LoginPage.Create();
}

CLoginBkDlg::~CLoginBkDlg()
{
    FreedMemory::ReleaseSoon();
}

int CLoginBkDlg::DoModal()
{
    return exec();
}

void CLoginBkDlg::reject()
{
    done(CLoginDlg::IDCANCEL);
}

void CLoginBkDlg::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, BackImage);
}

void CLoginBkDlg::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    PlacePage();
    LoginPage.FollowOwner(!isMinimized());
}

void CLoginBkDlg::hideEvent(QHideEvent *event)
{
    QDialog::hideEvent(event);
    LoginPage.FollowOwner(false);
}

void CLoginBkDlg::moveEvent(QMoveEvent *event)
{
    QDialog::moveEvent(event);
    PlacePage();
}

void CLoginBkDlg::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        LoginPage.FollowOwner(isVisible() && !isMinimized());
}

void CLoginBkDlg::mousePressEvent(QMouseEvent *event)
{
    QDialog::mousePressEvent(event);
    if (event->button() == Qt::LeftButton)
        WindowDragger::Start(this);
}

void CLoginBkDlg::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool CLoginBkDlg::eventFilter(QObject *watched, QEvent *event)
{
    // A window manager may place the page window itself when it first maps it; the page
    // goes back over its place on the picture.
    const bool placed = event->type() == QEvent::Move || event->type() == QEvent::Show;
    if (watched == &LoginPage && placed && LoginPage.pos() != pos() + kPageRect.topLeft())
        PlacePage();
    return QDialog::eventFilter(watched, event);
}

void CLoginBkDlg::PlacePage()
{
    LoginPage.setGeometry(kPageRect.translated(pos()));
}
