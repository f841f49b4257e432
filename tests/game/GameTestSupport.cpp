#include "game/GameTestSupport.h"

#include <cstdlib>
#include <cstring>

#include <xcb/xcb.h>

#include <QApplication>
#include <QGuiApplication>
#include <QWindow>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include "skin/CMessageBox.h"
#include "support/Wait.h"

namespace GameTestSupport {

namespace {

// Reads the protected text member through a pointer to member of a derived class.
struct MessageBoxPeek : CMessageBox {
    static QString Text(CMessageBox *box) { return box->*(&MessageBoxPeek::m_strText); }
};

} // namespace

struct MessageBoxAnswerer::Impl {
    QTimer timer;
};

MessageBoxAnswerer::MessageBoxAnswerer(int result)
    : m_impl(new Impl)
{
    m_impl->timer.setInterval(50);
    QObject::connect(&m_impl->timer, &QTimer::timeout, [this, result] {
        auto *box = qobject_cast<CMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        titles << box->windowTitle();
        texts << MessageBoxPeek::Text(box);
        box->done(result);
    });
    m_impl->timer.start();
}

MessageBoxAnswerer::~MessageBoxAnswerer()
{
    delete m_impl;
}

QTemporaryDir *NewPrivateHome()
{
    auto *home = new QTemporaryDir;
    for (const char *name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "TMPDIR"})
        qputenv(name, home->path().toUtf8());
    return home;
}

bool RequestCloseByWindowManager(QWidget *window)
{
    auto *x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !window->windowHandle())
        return false;
    xcb_connection_t *connection = x11->connection();
    const auto atom = [connection](const char *name) {
        xcb_intern_atom_reply_t *reply =
            xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, uint16_t(strlen(name)), name), nullptr);
        const xcb_atom_t value = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        free(reply);
        return value;
    };
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = xcb_window_t(window->winId());
    message.type = atom("WM_PROTOCOLS");
    message.data.data32[0] = atom("WM_DELETE_WINDOW");
    message.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(connection, 0, message.window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char *>(&message));
    return xcb_flush(connection) > 0;
}

QString MessageBoxText(QWidget *box)
{
    auto *messageBox = qobject_cast<CMessageBox *>(box);
    return messageBox ? MessageBoxPeek::Text(messageBox) : QString();
}

bool Xdotool(const QStringList &arguments)
{
    return QProcess::execute(QStringLiteral("xdotool"), arguments) == 0;
}

} // namespace GameTestSupport
