#include "game/GameTestSupport.h"

#include <QApplication>
#include <QProcess>
#include <QTimer>

#include "skin/CMessageBox.h"

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
