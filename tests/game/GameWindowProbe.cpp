// A real main window in a process of its own, driven over stdin by the instance tests:
// "boss" hides or restores it and tells the other instances, "state" prints what it
// shows, "close-modal" cancels the window that runs modally over it.
#include <unistd.h>

#include <cstdio>

#include <QApplication>
#include <QSocketNotifier>

#include "game/CFenlowDlg.h"
#include "game/CGameWnd.h"
#include "game/GameTestSupport.h"
#include "login/CLoginBkDlg.h"
#include "web/GamePageList.h"
#include "web/WebEngineSetup.h"

namespace {

void Print(const QString &line)
{
    std::printf("%s\n", qUtf8Printable(line));
    std::fflush(stdout);
}

void PrintState(CFenlowDlg &dlg)
{
    int logins = 0;
    for (QWidget *window : QApplication::topLevelWidgets())
        logins += qobject_cast<CLoginBkDlg *>(window) && window->isVisible();
    QWidget *modal = QApplication::activeModalWidget();
    const QString text = modal && modal != &dlg ? GameTestSupport::MessageBoxText(modal) : QString();
    Print(QStringLiteral("state visible=%1 logins=%2 pages=%3 message=%4")
              .arg(int(dlg.isVisible()))
              .arg(logins)
              .arg(GamePageList::Instance().Count())
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
    for (int n = 1; n <= pages; ++n)
        GamePageList::Instance().Append(new CGameWnd(QStringLiteral("about:blank")), QStringLiteral("acc%1").arg(n),
                                        QString::number(n));

    CFenlowDlg dlg([](QWidget *owner) {
        return std::make_unique<CLoginBkDlg>(owner, [](const QString &address) { return new CGameWnd(address); });
    });
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QByteArray pending;
    const auto run = [&](const QByteArray &command) {
        if (command == "boss") {
            dlg.ToggleMainWindow(true);
        } else if (command == "state") {
            PrintState(dlg);
        } else if (command == "close-modal") {
            if (auto *modal = qobject_cast<QDialog *>(QApplication::activeModalWidget()); modal && modal != &dlg)
                modal->reject();
        }
    };
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[256];
        const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (got <= 0) {
            input.setEnabled(false);
            QCoreApplication::exit(0);
            return;
        }
        pending.append(buffer, got);
        for (qsizetype end = pending.indexOf('\n'); end >= 0; end = pending.indexOf('\n')) {
            const QByteArray command = pending.left(end).trimmed();
            pending.remove(0, end + 1);
            run(command);
        }
    });
    QMetaObject::invokeMethod(
        &dlg, [&dlg] { Print(QStringLiteral("ready ") + dlg.EndpointPath()); }, Qt::QueuedConnection);
    dlg.DoModal();
    return 0;
}
