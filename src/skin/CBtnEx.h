#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QImage>
#include <QList>
#include <QTimer>

// Frames of a button image strip, left to right.
enum ButtonFrame { FrameNormal = 0, FrameHover = 1, FramePressed = 2, FrameDisabled = 3 };

// The frame a button shows. A press latches `pressed`, so the pressed frame stays until
// the button is released even when the mouse slides off meanwhile.
int ChooseButtonFrame(bool disabled, bool down, bool &pressed, bool hover);

// Skinned push button: draws itself from a four-frame strip (normal, hover, pressed,
// disabled) over its parent's skinned background, with an optional centred text.
class CBtnEx : public QAbstractButton
{
    Q_OBJECT
public:
    explicit CBtnEx(QWidget *parent = nullptr);
    CBtnEx(int id, QWidget *parent);

    // Splits `bitmap` into four frames (key colour transparent; the caller keeps the
    // bitmap). With `resize` the button takes the size of one frame.
    bool SetImage(const QImage &bitmap, bool resize);

    int GetDlgCtrlID() const { return m_id; }
    void SetDlgCtrlID(int id) { m_id = id; }

    // The frame the next paint shows.
    int CurrentFrame();

    QSize sizeHint() const override;

    // Owners may write these.
    bool m_bTracking = false;
    bool m_bHover = false;
    QString m_strText;
    QColor m_crText = Qt::black;

    // The button's window rectangle in screen coordinates, refreshed on set-up.
    QRect m_rcWindow;
    bool m_bPressed = false;
    // Time of the last left release on this button, to tell its own double-clicks.
    quint64 m_lastReleaseTime = 0;

signals:
    // The second press of a double click: the first press and release gave `clicked`,
    // this one gives only this notice.
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

    QList<QImage> m_imgList;

private:
    void trackMouse();
    void handleHover();
    void refreshWindowRect();

    int m_id = 0;
    QTimer m_hoverTimer;
};
