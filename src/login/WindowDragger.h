#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>

class QWidget;

// Moves a top-level window while the left mouse button stays down, as dragging a caption
// does. The platform's own move is used where the window manager offers one; otherwise
// the window follows the cursor until the button is released.
class WindowDragger : public QObject
{
    Q_OBJECT
public:
    // Starts a drag of `window` (its top-level window) if the left button is down.
    static void Start(QWidget *window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit WindowDragger(QWidget *window);
    void Follow();

    QPointer<QWidget> m_window;
    QPoint m_startCursor;
    QPoint m_startWindow;
};
