// The program's web profiles in a process of their own, driven over stdin by the cache
// tests: "load <address>" loads a page and prints "loaded 1" (or 0), "clear" starts the
// menu's cache clearing, "quit" ends the process as the program ends. "slot" opens a
// page in a further account slot's new store and prints "slot <n>"; a command prefixed
// "@<n> " goes to slot n's page (slot 0 is the first, persistent one), and "@<n> close"
// deletes that page, ending the slot. It prints "ready <cache folder>" once the profile is
// set up, and "cleared" (slot 0) or "cleared @<n>" whenever a clearing has a slot's
// cookies back.
#include <map>

#include <QApplication>
#include <QWebEnginePage>
#include <QWebEngineProfile>

#include "support/ProbeChannel.h"
#include "support/WebEngineProcess.h"
#include "web/BrowserCache.h"
#include "web/CookieKeeper.h"
#include "web/WebEngineSetup.h"

namespace {

// One account slot's page; it holds the slot's profile as a window of the program does.
struct Slot {
    SlotProfile profile;
    QWebEnginePage *page{};
};

Slot OpenSlot(int number, SlotProfile profile)
{
    Slot slot{std::move(profile), nullptr};
    slot.page = new QWebEnginePage(slot.profile.get());
    QObject::connect(slot.page, &QWebEnginePage::loadFinished, [](bool ok) { ProbeChannel::Print(QStringLiteral("loaded %1").arg(int(ok))); });
    const QString cleared = number == 0 ? QStringLiteral("cleared") : QStringLiteral("cleared @%1").arg(number);
    QObject::connect(WebEngineSetup::Cookies(slot.profile.get()), &CookieKeeper::cookiesRestored, [cleared] { ProbeChannel::Print(cleared); });
    return slot;
}

void CloseSlot(std::map<int, Slot> &openSlots, int number)
{
    const auto found = openSlots.find(number);
    if (found == openSlots.end())
        return;
    delete found->second.page;
    openSlots.erase(found);
}

} // namespace

int main(int argc, char **argv)
{
    PrepareWebEngineProcess();
    QApplication app(argc, argv);
    SetBrowserCacheLimit();
    std::map<int, Slot> openSlots;
    openSlots.emplace(0, OpenSlot(0, WebEngineSetup::FirstSlot()));
    int nextSlot = 1;

    const auto run = [&](QByteArray command) {
        int number = 0;
        if (command.startsWith('@')) {
            number = command.mid(1, command.indexOf(' ') - 1).toInt();
            command = command.mid(command.indexOf(' ') + 1);
        }
        const auto slot = openSlots.find(number);
        if (command.startsWith("load ") && slot != openSlots.end()) {
            slot->second.page->load(QUrl(QString::fromUtf8(command.mid(5))));
        } else if (command == "slot") {
            openSlots.emplace(nextSlot, OpenSlot(nextSlot, WebEngineSetup::NewSlot()));
            ProbeChannel::Print(QStringLiteral("slot %1").arg(nextSlot++));
        } else if (command == "close") {
            CloseSlot(openSlots, number);
        } else if (command == "clear") {
            StartBrowserCacheClearing();
        } else if (command == "quit") {
            while (!openSlots.empty())
                CloseSlot(openSlots, openSlots.begin()->first);
            QCoreApplication::exit(0);
        }
    };
    ProbeChannel::ReadCommands(&app, run, [&] { run("quit"); });
    ProbeChannel::Print(QStringLiteral("ready ") + WebEngineSetup::Profile()->cachePath());
    return QApplication::exec();
}
