#pragma once

#include <QColor>
#include <QDialog>
#include <QImage>
#include <QRect>

#include "skin/SkinBackground.h"
#include "skin/SkinGeometry.h"

class CBtnEx;
class QWindow;

// Makes `dialog` modal to its owner only (its parent's window, or for a dialog without a
// parent the launcher window it comes up over), so that the other windows, the tray icon
// among them, keep taking input. Without any owner its modality is left as it is.
void RunWindowModal(QDialog *dialog);

// Control ids of the caption buttons.
inline constexpr int kCaptionCloseId = 50000;
inline constexpr int kCaptionMinimizeId = 50001;
inline constexpr int kCaptionMaximizeId = 50002;

// Base of every skinned dialog: a frameless window whose background is one image
// stretched as a nine-grid, whose outline is cut from the key-coloured corner pixels,
// with caption buttons at the top right, a painted icon and title, dragging by the
// caption band, resizing by the border band and its own work-area maximise.
// Dialog results are the platform's codes: accept() ends with IDOK, reject() with IDCANCEL.
class CDlgEx : public QDialog, public CSkinBackground
{
    Q_OBJECT
public:
    explicit CDlgEx(int templateId = 0, QWidget *parent = nullptr);
    ~CDlgEx() override;

    // Runs the dialog modally and returns its result code. A dialog is modal to its owner
    // only; an application window (type Qt::Window) runs the loop without telling the
    // window system it is modal.
    int DoModal();

    // Sets the background and creates the caption buttons whose images are given (a null
    // image leaves that button out; maximise needs a close image). Returns true.
    bool SetSkin(const QImage &background, const QImage &closeImage, const QImage &minimizeImage,
                 const QImage &maximizeImage, const QImage &restoreImage);

    // Sets the window text and repaints only the title's strip.
    void SetTitle(const QString &text);

    // Repaints the caption buttons that exist, so they pick up a changed background.
    void RedrawCaptionButtons();

    bool EraseBackground(QPainter &painter) override;

    // Where a client point lands (caption, a border band, or the client area).
    HitCode HitTest(QPoint clientPoint) const;

    // The strip SetTitle repaints: from the title's origin to the right edge.
    QRect TitleRect() const;

    virtual void OnCaptionClose();
    virtual void OnCaptionMinimize();
    virtual void ToggleMaximize();
    virtual void UpdateMaxButtonImage(bool restore);

    void accept() override;
    void reject() override;
    void setVisible(bool visible) override;

protected:
    // Runs once, just before the dialog first shows: reads the work area into
    // m_nMaxWidth/m_nMaxHeight and the first restore rectangle. Subclasses call it first,
    // then set their layout fields and call SetSkin.
    virtual bool OnInitDialog();

    // The available area of the dialog's screen.
    QRect WorkArea() const;

    // The small progress dialogs' look: their caption band and border, a close button
    // alone at the caption's right edge, the small dialog background.
    void UseSmallDialogSkin();
    // The main window's look: a resizable frame of `border` with a caption band of
    // `captionHeight`, minimise, maximise and close at the caption's right edge.
    void UseMainWindowSkin(int captionHeight, int border);

    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;

    bool m_bDrawTitle = true;
    int m_nCaptionHeight = -1;
    int m_nBtnRightMargin = 5;
    int m_nBtnTop = 1;
    int m_nBtnGap = 0;
    int m_nBorder = 3;
    QColor m_crTitle = Qt::white;
    QImage m_bmpBack;
    CBtnEx *m_btnClose = nullptr;
    CBtnEx *m_btnMin = nullptr;
    CBtnEx *m_btnMax = nullptr;
    QImage m_bmpMax;
    QImage m_bmpRestore;
    int m_nMaxWidth = 1440;
    int m_nMaxHeight = 900;
    QRect m_rcRestore;
    bool m_bMaximized = false;
    bool m_bResizable = false;

private:
    void keepKeyboard(QWindow *focus);
    // Asks the window manager for the keyboard up to `asks` more times while it stays away.
    void askKeyboardAgain(int asks);
    // Whether `focus`, which has the keyboard, is a window this dialog blocks while it runs.
    bool blockedHasKeyboard(const QWindow *focus) const;
    void checkMinimised();

    // Caption band and border; the caption's buttons sit at its top-right corner, no gaps.
    void SetCaptionBand(int captionHeight, int border);
    void createCaptionButton(int rightEdge, CBtnEx *&button, const QImage &image, int top, int id);
    void placeCaptionButtons();
    void updateRegion();
    void handleCaptionButton();
    bool startDrag(HitCode hit, QPoint globalPos);
    int iconOffset() const;
    QPoint titleOrigin() const;

    int m_templateId = 0;
    bool m_initDone = false;
    // A move or resize the window system runs for us after a press on the caption or border.
    bool m_systemDrag = false;
    // The window manager is ending its maximised state; the restore rectangle follows.
    bool m_restorePending = false;
    // Checks left before a minimise the window manager has not done is given up.
    int m_minimiseChecks = 0;
    // Our own move or resize, where the window system offers none.
    HitCode m_dragHit = HitCode::Client;
    QPoint m_dragStart;
    QRect m_dragGeometry;
};
