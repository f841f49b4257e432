#pragma once

#include "skin/CTabCtrlBase.h"

class CGameWnd;

// The game tab strip of the main window: one tab per entered game page, each carrying its
// page; a close button on the tab under the pointer; the caption as tooltip. It adds,
// shows, switches, refreshes, lays out and closes the pages of GamePageList.
class CCaptTab : public CTabCtrlBase
{
    Q_OBJECT
public:
    // Close-button states of the tab under the pointer.
    enum CloseState { CloseNone = 0, CloseTabHot = 1, CloseButtonHot = 2, CloseButtonPressed = 3 };

    explicit CCaptTab(QWidget *parent = nullptr);
    ~CCaptTab() override;
    CCaptTab(const CCaptTab &) = delete;
    CCaptTab &operator=(const CCaptTab &) = delete;

    // Gives the newest page of the list its window and its tab, selects and shows it.
    void ShowNewestPage();
    // Lays every page window over the main window's client area.
    void LayoutGamePages();
    // Hides every page window; with `show`, shows and focuses the selected tab's page.
    void ShowCurrentPage(bool show);
    // The pages follow the main window into and out of the minimised state, given by
    // `ownerShown`; a selected page that already shows alone is left as it is.
    void FollowOwnerState(bool ownerShown);
    // Selects the next tab (wrapping) and shows its page.
    void SwitchToNextPage();
    // Reloads the selected tab's page.
    void RefreshCurrentPage();
    // Removes tab and page `index`; a selected tab first hands the selection on.
    void ClosePage(int index);
    // Asks whether to quit the account of tab `index`; on Yes closes it, and ends the
    // program when no tab remains.
    void ConfirmClosePage(int index);
    // Stores a page's cleaned title and rebuilds its tab caption.
    void SetPageTitle(CGameWnd *page, const QString &title);
    // The caption of page `index` for `title`.
    QString UpdateTabCaption(int index, const QString &title) const;

    // The page of tab `index`, or none.
    CGameWnd *PageAt(int index) const;
    // The selected tab's page, or none.
    CGameWnd *CurrentPage() const;
    // Gives the keyboard focus to the selected tab's page when it has a window.
    void FocusCurrentPage();

signals:
    // The number of tabs changed.
    void pageCountChanged(int count);

protected:
    void DrawItemExtra(QPainter &painter, const QRect &rect, unsigned state) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void handleSelectionChanged(int index);
    void setHot(int index, int state);

    int m_hotIndex = -1;
    int m_closeState = CloseNone;
    bool m_tooltipSet = false;
};

// The one game tab strip of the process while the main window has it, else none.
CCaptTab *TabStrip();
