// The program's web profile in a process of its own, driven over stdin by the cache
// tests: "load <address>" loads a page and prints "loaded 1" (or 0), "clear" starts the
// menu's cache clearing, "quit" ends the process as the program ends. It prints
// "ready <cache folder>" once the profile is set up.
#include <unistd.h>

#include <cstdio>

#include <QApplication>
#include <QSocketNotifier>
#include <QWebEnginePage>
#include <QWebEngineProfile>

#include "web/BrowserCache.h"
#include "web/WebEngineSetup.h"

namespace {

void Print(const QString &line)
{
    std::printf("%s\n", qUtf8Printable(line));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    WebEngineSetup::BeforeApplication();
    QApplication app(argc, argv);
    SetBrowserCacheLimit();
    auto *page = new QWebEnginePage(WebEngineSetup::Profile());
    QObject::connect(page, &QWebEnginePage::loadFinished, [](bool ok) { Print(QStringLiteral("loaded %1").arg(int(ok))); });

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QByteArray pending;
    const auto run = [&](const QByteArray &command) {
        if (command.startsWith("load ")) {
            page->load(QUrl(QString::fromUtf8(command.mid(5))));
        } else if (command == "clear") {
            StartBrowserCacheClearing();
            Print(QStringLiteral("cleared"));
        } else if (command == "quit") {
            delete page;
            page = nullptr;
            QCoreApplication::exit(0);
        }
    };
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[512];
        const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (got <= 0) {
            run("quit");
            return;
        }
        pending.append(buffer, got);
        for (qsizetype end = pending.indexOf('\n'); end >= 0; end = pending.indexOf('\n')) {
            const QByteArray command = pending.left(end).trimmed();
            pending.remove(0, end + 1);
            run(command);
        }
    });
    Print(QStringLiteral("ready ") + WebEngineSetup::Profile()->cachePath());
    return QApplication::exec();
}
