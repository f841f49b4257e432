// A real main window in a process of its own, driven over stdin by the instance tests:
// "boss" hides or restores it and tells the other instances, "hide" hides or restores it
// as its hide button does, "state" prints what it shows and how many hide-or-restore
// messages of other instances its endpoint took, "close-modal" cancels the window that
// runs modally over it.
#include <unistd.h>


#include <QApplication>

#include "base/InstanceChannel.h"
#include "game/CFenlowDlg.h"
#include "game/CGameWnd.h"
#include "game/GameTestSupport.h"
#include "login/CLoginBkDlg.h"
#include "support/ProbeChannel.h"
#include "game/GamePageList.h"
#include "web/WebEngineSetup.h"

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

} // namespace

int main(int argc, char **argv)
{
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    WebEngineSetup::BeforeApplication();
    QApplication app(argc, argv);
    const int pages = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 1;
    const PlatformHosts hosts = PlatformHosts::Installed();
    for (int n = 1; n <= pages; ++n)
        GamePageList::Instance().Append(new CGameWnd(QStringLiteral("about:blank"), hosts), QStringLiteral("acc%1").arg(n),
                                        QString::number(n));

    CFenlowDlg dlg(hosts, [hosts](QWidget *owner) {
        return std::make_unique<CLoginBkDlg>(
            owner, [hosts](const QString &address) { return new CGameWnd(address, hosts); }, hosts.LoginPageUrl());
    });
    int toggles = 0;
    const auto run = [&](const QByteArray &command) {
        if (command == "boss") {
            dlg.ToggleMainWindow(true);
        } else if (command == "hide") {
            dlg.ToggleMainWindow(false);
        } else if (command == "state") {
            PrintState(dlg, toggles);
        } else if (command == "close-modal") {
            if (auto *modal = qobject_cast<QDialog *>(QApplication::activeModalWidget()); modal && modal != &dlg)
                modal->reject();
        }
    };
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
