#pragma once

#include <optional>

#include <QString>
#include <QStringList>

// One request of the app:// command protocol, split by its grammar:
//   "app://" name [ ":" arg { "," arg } ] [ "|" parameter text ]
// Without a "|", the command part is everything after the prefix minus its last
// character (pages write "app://minimize/"). The name and the arguments end at the
// first "|"; the parameter text runs from there to the end of the address.
struct AppCommand {
    QString name;
    // Entry 0 is the parameter text (empty without "|"); entries 1.. the arguments.
    QStringList argv;

    int argc() const { return static_cast<int>(argv.size()); }
};

// The argument list holds at most this many entries, entry 0 included; further
// arguments are dropped.
inline constexpr int kMaxAppArguments = 100;

// The case-sensitive prefix of every command address.
inline constexpr char kAppAddressPrefix[] = "app://";

// Splits `address`; nothing when it does not begin with "app://". An empty argument
// text ("name:|...") gives no arguments.
std::optional<AppCommand> ParseAppAddress(const QString &address);
