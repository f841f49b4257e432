// A real main window in a process of its own, driven over stdin by the instance tests:
// "boss" hides or restores it and tells the other instances, "hide" hides or restores it
// as its hide button does, "state" prints what it shows and how many hide-or-restore
// messages of other instances its endpoint took, "close-modal" cancels the window that
// runs modally over it. Under a window manager: "minimize" presses the caption's minimise
// button, "message" and "settings" open a message box or the settings
// dialog over the window, "windows" prints the X ids of the launcher's shown windows and a
// point of the further login's picture that no other launcher window covers, with its colour.

#include <QApplication>

#include "base/InstanceChannel.h"
#include "game/CFenlowDlg.h"
#include "game/CGameWnd.h"
#include "game/GameTestSupport.h"
#include "login/CLoginBkDlg.h"
#include "skin/CBtnEx.h"
#include "skin/CMessageBox.h"
#include "game/CCaptTab.h"
#include "support/ProbeChannel.h"
#include "support/WebEngineProcess.h"
#include "game/GamePageList.h"

namespace {

void PrintState(CFenlowDlg &dlg, int toggles)
{
    int logins = 0;
    for (QWidget *window : QApplication::topLevelWidgets())
        logins += qobject_cast<CLoginBkDlg *>(window) && window->isVisible();
    QWidget *modal = QApplication::activeModalWidget();
    const QString text = modal && modal != &dlg ? GameTestSupport::MessageBoxText(modal) : QString();
    ProbeChannel::Print(QStringLiteral("state visible=%1 logins=%2 pages=%3 toggles=%4 message=%5")
              .arg(int(dlg.isVisible()))
              .arg(logins)
              .arg(GamePageList::Instance().Count())
              .arg(toggles)
              .arg(text));
}

quint64 Id(const QWidget *window)
{
    return window && window->isVisible() ? quint64(window->winId()) : 0;
}

// An opaque pixel of the login picture a little inside its left edge, beside its page window.
QPoint PictureSpot(const CLoginBkDlg &login)
{
    const QRect page = login.LoginPage.geometry().translated(-login.pos());
    for (int y = login.BackImage.height() / 2; y < login.BackImage.height(); ++y) {
        for (int x = 8; x < login.BackImage.width(); ++x) {
            if (qAlpha(login.BackImage.pixel(x, y)) == 255 && !page.contains(x, y))
                return {x, y};
        }
    }
    return {-1, -1};
}

QString Rect(const QRect &rect)
{
    return QStringLiteral("%1,%2,%3,%4").arg(rect.x()).arg(rect.y()).arg(rect.width()).arg(rect.height());
}

void PrintWindows(const CFenlowDlg &dlg)
{
    const auto *login = qobject_cast<const CLoginBkDlg *>(ActiveLoginWindow());
    const CGameWnd *page = dlg.Tabs()->CurrentPage();
    QString spot = QStringLiteral("none");
    if (login) {
        const QPoint at = PictureSpot(*login);
        spot = QStringLiteral("%1,%2,%3 loginrect=%4")
                   .arg(login->x() + at.x())
                   .arg(login->y() + at.y())
                   .arg(QColor(login->BackImage.pixel(at)).name().mid(1), Rect(login->frameGeometry()));
    }
    ProbeChannel::Print(QStringLiteral("windows main=%1 page=%2 login=%3 loginpage=%4 mainrect=%5 spot=%6")
                            .arg(Id(&dlg))
                            .arg(Id(page))
                            .arg(Id(login))
                            .arg(Id(login ? &login->LoginPage : nullptr))
                            .arg(Rect(dlg.frameGeometry()), spot));
}

void RunCommand(CFenlowDlg &dlg, int toggles, const QByteArray &command)
{
    if (command == "boss") {
        dlg.ToggleMainWindow(true);
    } else if (command == "hide") {
        dlg.ToggleMainWindow(false);
    } else if (command == "state") {
        PrintState(dlg, toggles);
    } else if (command == "close-modal") {
        if (auto *modal = qobject_cast<QDialog *>(QApplication::activeModalWidget()); modal && modal != &dlg)
            modal->reject();
    } else if (command == "minimize") {
        for (CBtnEx *button : dlg.findChildren<CBtnEx *>()) {
            if (button->GetDlgCtrlID() == kCaptionMinimizeId)
                button->click();
        }
    } else if (command == "message") {
        QMetaObject::invokeMethod(&dlg, [] { ShowSkinnedMessage(MB_OK, QStringLiteral("岚汐翼川记"), QStringLiteral("消息")); }, Qt::QueuedConnection);
    } else if (command == "settings") {
        QMetaObject::invokeMethod(&dlg, &CFenlowDlg::ShowSettings, Qt::QueuedConnection);
    } else if (command == "windows") {
        PrintWindows(dlg);
    }
}

} // namespace

int main(int argc, char **argv)
{
    PrepareWebEngineProcess();
    QApplication app(argc, argv);
    const int pages = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 1;
    const PlatformHosts hosts = PlatformHosts::Installed();
    for (int n = 1; n <= pages; ++n)
        GamePageList::Instance().Append(new CGameWnd(QStringLiteral("about:blank"), hosts), QStringLiteral("acc%1").arg(n),
                                        QString::number(n));

    CFenlowDlg dlg(hosts, [hosts](QWidget *owner) {
        return std::make_unique<CLoginBkDlg>(owner, CGameWnd::Factory(hosts), hosts.LoginPageUrl());
    });
    int toggles = 0;
    const auto run = [&](const QByteArray &command) { RunCommand(dlg, toggles, command); };
    ProbeChannel::ReadCommands(&dlg, run, [] { QCoreApplication::exit(0); });
    QMetaObject::invokeMethod(
        &dlg,
        [&dlg, &toggles] {
            // The endpoint exists once the window runs; it counts messages as they arrive.
            QObject::connect(dlg.findChild<InstanceEndpoint *>(), &InstanceEndpoint::messageReceived, &dlg,
                             [&toggles](int message) { toggles += message == kToggleMessage; });
            ProbeChannel::Print(QStringLiteral("ready ") + dlg.EndpointPath());
        },
        Qt::QueuedConnection);
    dlg.DoModal();
    return 0;
}
