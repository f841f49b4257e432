// The program's web profile in a process of its own, driven over stdin by the cache
// tests: "load <address>" loads a page and prints "loaded 1" (or 0), "clear" starts the
// menu's cache clearing, "quit" ends the process as the program ends. It prints
// "ready <cache folder>" once the profile is set up, and "cleared" whenever a clearing
// has the cookies back.
#include <unistd.h>

#include <QApplication>
#include <QWebEnginePage>
#include <QWebEngineProfile>

#include "support/ProbeChannel.h"
#include "web/BrowserCache.h"
#include "web/CookieKeeper.h"
#include "web/WebEngineSetup.h"

int main(int argc, char **argv)
{
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    WebEngineSetup::BeforeApplication();
    QApplication app(argc, argv);
    SetBrowserCacheLimit();
    auto *page = new QWebEnginePage(WebEngineSetup::Profile());
    QObject::connect(page, &QWebEnginePage::loadFinished, [](bool ok) { ProbeChannel::Print(QStringLiteral("loaded %1").arg(int(ok))); });
    QObject::connect(WebEngineSetup::Cookies(), &CookieKeeper::cookiesRestored, [] { ProbeChannel::Print(QStringLiteral("cleared")); });

    const auto run = [&](const QByteArray &command) {
        if (command.startsWith("load ")) {
            page->load(QUrl(QString::fromUtf8(command.mid(5))));
        } else if (command == "clear") {
            StartBrowserCacheClearing();
        } else if (command == "quit") {
            delete page;
            page = nullptr;
            QCoreApplication::exit(0);
        }
    };
    ProbeChannel::ReadCommands(&app, run, [&] { run("quit"); });
    ProbeChannel::Print(QStringLiteral("ready ") + WebEngineSetup::Profile()->cachePath());
    return QApplication::exec();
}
