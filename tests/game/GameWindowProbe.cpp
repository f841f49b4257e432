// A real main window in a process of its own, driven over stdin by the instance tests:
// "boss" hides or restores it and tells the other instances, "hide" hides or restores it
// as its hide button does, "state" prints what it shows and how many hide-or-restore
// messages of other instances its endpoint took, "close-modal" cancels the window that
// runs modally over it, "accept-modal" accepts it. Under a window manager: "minimize"
// presses the caption's minimise button; "message", "settings", "download" (the page's
// question, then once accepted its download dialog) and "progress <address>" (the update's
// progress dialog fetching <address>) open that window over the main window; "windows"
// prints the X ids of the launcher's shown windows, the window on top (a further login's
// picture or a dialog) and a point of it that no other launcher window covers, with its colour.
// The pages' resource host is the second argument when one is given.
#include <xcb/xcb.h>

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QDir>
#include <QUrl>

#include "base/InstanceChannel.h"
#include "game/CFenlowDlg.h"
#include "game/CGameWnd.h"
#include "game/GameTestSupport.h"
#include "login/CLoginBkDlg.h"
#include "update/CPrgsDlg.h"
#include "skin/CBtnEx.h"
#include "skin/CMessageBox.h"
#include "game/CCaptTab.h"
#include "support/ProbeChannel.h"
#include "support/WebEngineProcess.h"
#include "game/GamePageList.h"

namespace {

// Counts the pointer presses the X server delivered to any window of the program, also to
// a window a modal dialog blocks: the window manager has handled a click once it reached us.
class PressCounter : public QAbstractNativeEventFilter
{
public:
    bool nativeEventFilter(const QByteArray &type, void *message, qintptr *) override
    {
        if (type != "xcb_generic_event_t")
            return false;
        // Qt takes the pointer through the input extension, whose presses come as generic
        // events; the program uses no other extension whose events share that number.
        constexpr uint16_t kInputButtonPress = 4;
        const auto *event = static_cast<xcb_ge_generic_event_t *>(message);
        const uint8_t kind = event->response_type & 0x7f;
        presses += kind == XCB_BUTTON_PRESS || (kind == XCB_GE_GENERIC && event->event_type == kInputButtonPress);
        return false;
    }
    int presses = 0;
};

PressCounter g_presses;

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

// The window that should lie on top of the game: a further login's picture, else a dialog
// running over the main window.
QWidget *TopWindow(const CFenlowDlg &dlg)
{
    if (QWidget *login = ActiveLoginWindow())
        return login;
    QWidget *modal = QApplication::activeModalWidget();
    return modal && modal != &dlg && modal->isVisible() ? modal : nullptr;
}

// "x,y,rrggbb": a point of `top` on the screen that no other launcher window covers, with
// the colour the window draws there.
QString Spot(QWidget *top)
{
    if (auto *login = qobject_cast<CLoginBkDlg *>(top)) {
        const QPoint at = PictureSpot(*login);
        return QStringLiteral("%1,%2,%3").arg(login->x() + at.x()).arg(login->y() + at.y())
            .arg(QColor(login->BackImage.pixel(at)).name().mid(1));
    }
    // Above the middle of the client area, clear of the controls and the title.
    const QPoint at(top->width() / 2, 5);
    const QPoint global = top->mapToGlobal(at);
    return QStringLiteral("%1,%2,%3").arg(global.x()).arg(global.y())
        .arg(QColor(top->grab().toImage().pixel(at)).name().mid(1));
}

void PrintWindows(const CFenlowDlg &dlg)
{
    const auto *login = qobject_cast<const CLoginBkDlg *>(ActiveLoginWindow());
    const CGameWnd *page = dlg.Tabs()->CurrentPage();
    QWidget *top = TopWindow(dlg);
    ProbeChannel::Print(QStringLiteral("windows main=%1 page=%2 top=%3 loginpage=%4 presses=%5 mainrect=%6 toprect=%7 spot=%8")
                            .arg(Id(&dlg))
                            .arg(Id(page))
                            .arg(Id(top))
                            .arg(Id(login ? &login->LoginPage : nullptr))
                            .arg(g_presses.presses)
                            .arg(Rect(dlg.frameGeometry()), top ? Rect(top->frameGeometry()) : QString(),
                                 top ? Spot(top) : QStringLiteral("none")));
}

// Runs the update's progress dialog over the main window, fetching `address` into the
// temporary folder.
void ShowProgress(CFenlowDlg &dlg, const QString &address)
{
    CPrgsDlg progress(&dlg);
    progress.SetDownload(address, QDir::temp().filePath(QStringLiteral("fenlow-new.exe")), QUrl(address).adjusted(QUrl::RemovePath).toString());
    progress.DoModal();
}

void RunCommand(CFenlowDlg &dlg, int toggles, const QByteArray &command)
{
    if (command == "boss") {
        dlg.ToggleMainWindow(true);
    } else if (command == "hide") {
        dlg.ToggleMainWindow(false);
    } else if (command == "state") {
        PrintState(dlg, toggles);
    } else if (command == "close-modal" || command == "accept-modal") {
        if (auto *modal = qobject_cast<QDialog *>(QApplication::activeModalWidget()); modal && modal != &dlg)
            command == "close-modal" ? modal->reject() : modal->accept();
    } else if (command == "minimize") {
        for (CBtnEx *button : dlg.findChildren<CBtnEx *>()) {
            if (button->GetDlgCtrlID() == kCaptionMinimizeId)
                button->click();
        }
    } else if (command == "message") {
        QMetaObject::invokeMethod(&dlg, [] { ShowSkinnedMessage(MB_OK, QStringLiteral("岚汐翼川记"), QStringLiteral("消息")); }, Qt::QueuedConnection);
    } else if (command == "settings") {
        QMetaObject::invokeMethod(&dlg, &CFenlowDlg::ShowSettings, Qt::QueuedConnection);
    } else if (command == "download") {
        CGameWnd *page = dlg.Tabs()->CurrentPage();
        QMetaObject::invokeMethod(page, [page] { page->LaunchGameLauncher(QStringLiteral("app://entergame|zzz")); }, Qt::QueuedConnection);
    } else if (command.startsWith("progress ")) {
        const QString address = QString::fromUtf8(command.mid(9));
        QMetaObject::invokeMethod(&dlg, [&dlg, address] { ShowProgress(dlg, address); }, Qt::QueuedConnection);
    } else if (command == "windows") {
        PrintWindows(dlg);
    }
}

} // namespace

int main(int argc, char **argv)
{
    PrepareWebEngineProcess();
    QApplication app(argc, argv);
    app.installNativeEventFilter(&g_presses);
    const int pages = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 1;
    PlatformHosts hosts = PlatformHosts::Installed();
    if (argc > 2)
        hosts.resource = QString::fromLocal8Bit(argv[2]);
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
