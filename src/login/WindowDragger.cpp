#include "login/WindowDragger.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

void WindowDragger::Start(QWidget *window)
{
    if (!window)
        return;
    QWidget *top = window->window();
    // The request may arrive after the button went up (page scripts report late).
    if (!(QGuiApplication::mouseButtons() & Qt::LeftButton))
        return;
    if (top->windowHandle() && top->windowHandle()->startSystemMove())
        return;
    new WindowDragger(top);
}

WindowDragger::WindowDragger(QWidget *window)
    : QObject(window)
    , m_window(window)
    , m_startCursor(QCursor::pos())
    , m_startWindow(window->pos())
{
    qApp->installEventFilter(this);
}

bool WindowDragger::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseMove:
        Follow();
        break;
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
            Follow();
            qApp->removeEventFilter(this);
            deleteLater();
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void WindowDragger::Follow()
{
    if (m_window)
        m_window->move(m_startWindow + QCursor::pos() - m_startCursor);
}
