#include "game/CCaptTab.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>

#include "base/ProgramTitle.h"
#include "game/CGameWnd.h"
#include "game/GameLayout.h"
#include "game/PageTitle.h"
#include "game/TabOrder.h"
#include "skin/CMessageBox.h"
#include "game/GamePageList.h"

namespace {

CCaptTab *g_tabStrip = nullptr;

const char *const kQuitAccountPrefix = "确定要退出账号：";
const char *const kQuitAccountSuffix = " ?";

GamePageList &Pages()
{
    return GamePageList::Instance();
}

// The tab caption appears after the pointer has rested on a tab for a second.
constexpr int kTooltipDelayMs = 1000;

class TooltipDelayStyle : public QProxyStyle
{
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_ToolTip_WakeUpDelay)
            return kTooltipDelayMs;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

CCaptTab *TabStrip()
{
    return g_tabStrip;
}

CCaptTab::CCaptTab(QWidget *parent)
    : CTabCtrlBase(parent)
{
    if (!g_tabStrip)
        g_tabStrip = this;
    auto *style = new TooltipDelayStyle;
    style->setParent(this);
    setStyle(style);
    connect(this, &CTabCtrlBase::selectionChanged, this, &CCaptTab::handleSelectionChanged);
}

CCaptTab::~CCaptTab()
{
    if (g_tabStrip == this)
        g_tabStrip = nullptr;
}

void CCaptTab::ShowNewestPage()
{
    const int newest = Pages().Count() - 1;
    if (newest < 0)
        return;
    CGameWnd *page = Pages().Pages.at(newest);
    if (PageAt(newest) == page)
        return;
    if (!page->HasWindow())
        page->Create(window());
    if (CGameWnd *current = CurrentPage(); current && current->HasWindow())
        current->hide();
    InsertItem(newest, Pages().Accounts.at(newest), QVariant::fromValue(QPointer<CGameWnd>(page)));
    SetCurSel(newest);
    LayoutGamePages();
    setGeometry(GameLayout::TabStripRect(newest));
    update();
    emit pageCountChanged(GetItemCount());
}

void CCaptTab::LayoutGamePages()
{
    for (CGameWnd *page : std::as_const(Pages().Pages)) {
        if (page->HasWindow() && page->parentWidget())
            page->FollowOwner();
    }
}

void CCaptTab::ShowCurrentPage(bool show)
{
    for (CGameWnd *page : std::as_const(Pages().Pages)) {
        if (page->HasWindow())
            page->hide();
    }
    if (!show)
        return;
    if (CGameWnd *current = CurrentPage(); current && current->HasWindow()) {
        current->show();
        current->raise();
        current->FocusContent();
    }
}

void CCaptTab::FollowOwnerState(bool ownerShown)
{
    // A change of the maximised state alone keeps the page on screen. Hiding and showing it
    // again would make it flicker, and its taking the keyboard in the middle of the change
    // would cut a maximise short.
    CGameWnd *current = CurrentPage();
    const auto showsAlone = [&] {
        for (CGameWnd *page : std::as_const(Pages().Pages)) {
            if (page->HasWindow() && page->isVisible() != (page == current))
                return false;
        }
        return current && current->HasWindow();
    };
    if (ownerShown && showsAlone()) {
        current->raise();
        return;
    }
    ShowCurrentPage(ownerShown);
}

void CCaptTab::SwitchToNextPage()
{
    const int count = GetItemCount();
    if (count == 0)
        return;
    if (count > 1)
        SetCurSel(TabOrder::NextTab(GetCurSel(), count));
    else if (GetCurSel() < 0)
        SetCurSel(0);
    ShowCurrentPage(true);
}

void CCaptTab::RefreshCurrentPage()
{
    if (CGameWnd *current = CurrentPage())
        QMetaObject::invokeMethod(current, &CGameWnd::Refresh, Qt::QueuedConnection);
}

void CCaptTab::ClosePage(int index)
{
    if (index < 0 || index >= Pages().Count() || index >= GetItemCount())
        return;
    if (index == GetCurSel())
        SwitchToNextPage();
    CGameWnd *page = Pages().Pages.at(index);
    Pages().RemoveAt(index);
    DeleteItem(index);
    delete page;
    setHot(-1, CloseNone);
    m_tooltipSet = false;
    emit pageCountChanged(GetItemCount());
}

void CCaptTab::ConfirmClosePage(int index)
{
    if (index < 0 || index >= GetItemCount())
        return;
    const QString caption = Pages().Captions.value(index);
    const QString question = QString::fromUtf8(kQuitAccountPrefix) + caption + QString::fromUtf8(kQuitAccountSuffix);
    if (ShowSkinnedMessage(MB_YESNO, QString::fromUtf8(kProgramTitle), question) != IDYES)
        return;
    ClosePage(index);
    if (GetItemCount() < 1)
        QCoreApplication::exit(0);
}

void CCaptTab::SetPageTitle(CGameWnd *page, const QString &title)
{
    const int index = Pages().IndexOf(page);
    if (index == GamePageList::kNotFound)
        return;
    // Both land at the page's own index, and the caption is built from the page's own
    // server and account, even while an older page has not reported a title yet.
    Pages().Store(GamePageList::Field::Titles, page, title);
    const QString caption = UpdateTabCaption(index, title);
    Pages().Store(GamePageList::Field::Captions, page, caption);
    if (PageAt(index) == page)
        SetItemText(index, caption);
    if (index == m_hotIndex)
        m_tooltipSet = false;
}

QString CCaptTab::UpdateTabCaption(int index, const QString &title) const
{
    return BuildTabCaption(Pages().Servers.value(index), title, Pages().Accounts.value(index));
}

CGameWnd *CCaptTab::PageAt(int index) const
{
    return GetItemData(index).value<QPointer<CGameWnd>>();
}

CGameWnd *CCaptTab::CurrentPage() const
{
    return PageAt(GetCurSel());
}

void CCaptTab::FocusCurrentPage()
{
    if (CGameWnd *current = CurrentPage(); current && current->HasWindow())
        current->FocusContent();
}

void CCaptTab::DrawItemExtra(QPainter &painter, const QRect &rect, unsigned)
{
    if (m_imgExtra.isEmpty() || m_closeState == CloseNone || PaintingItem() != m_hotIndex)
        return;
    const int frame = m_closeState - 1;
    if (frame >= m_imgExtra.size())
        return;
    const QRect target = m_nExtraMode == 4 ? GameLayout::CloseButtonRect(rect) : rect;
    painter.drawImage(target, m_imgExtra.at(frame));
}

void CCaptTab::mouseMoveEvent(QMouseEvent *event)
{
    CTabCtrlBase::mouseMoveEvent(event);
    const QPoint point = event->position().toPoint();
    const int index = HitTest(point);
    if (index < 0) {
        setHot(-1, CloseNone);
        return;
    }
    int state = CloseTabHot;
    if (GameLayout::IsOnCloseButton(GetItemRect(index), point)) {
        state = (event->buttons() & Qt::LeftButton) ? CloseButtonPressed : CloseButtonHot;
        m_tooltipSet = false;
    } else if (!m_tooltipSet) {
        m_tooltipSet = true;
        setToolTip(Pages().Captions.value(index));
    }
    setHot(index, state);
}

void CCaptTab::leaveEvent(QEvent *event)
{
    CTabCtrlBase::leaveEvent(event);
    setHot(-1, CloseNone);
    m_tooltipSet = false;
}

void CCaptTab::mousePressEvent(QMouseEvent *event)
{
    CTabCtrlBase::mousePressEvent(event);
    const QPoint point = event->position().toPoint();
    const int index = HitTest(point);
    if (event->button() == Qt::LeftButton && index >= 0 && GameLayout::IsOnCloseButton(GetItemRect(index), point))
        setHot(index, CloseButtonPressed);
}

void CCaptTab::mouseReleaseEvent(QMouseEvent *event)
{
    CTabCtrlBase::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint point = event->position().toPoint();
    const int index = HitTest(point);
    if (GetItemCount() > 0)
        FocusCurrentPage();
    if (index >= 0 && GameLayout::IsOnCloseButton(GetItemRect(index), point))
        ConfirmClosePage(index);
}

void CCaptTab::handleSelectionChanged(int index)
{
    if (CGameWnd *page = PageAt(index); page && page->HasWindow())
        ShowCurrentPage(true);
}

void CCaptTab::setHot(int index, int state)
{
    if (index == m_hotIndex && state == m_closeState)
        return;
    // The square of the tab the pointer left is repainted too, so no stale close button
    // stays behind on it.
    if (m_hotIndex >= 0)
        update(GameLayout::CloseButtonRect(GetItemRect(m_hotIndex)));
    m_hotIndex = index;
    m_closeState = state;
    if (index >= 0)
        update(GameLayout::CloseButtonRect(GetItemRect(index)));
}
