#include "login/AppAddress.h"

std::optional<AppCommand> ParseAppAddress(const QString &address)
{
    const QLatin1String prefix(kAppAddressPrefix);
    if (!address.startsWith(prefix))
        return std::nullopt;

    const QString rest = address.mid(prefix.size());
    const qsizetype bar = rest.indexOf(QLatin1Char('|'));
    QString commandPart;
    AppCommand command;
    if (bar >= 0) {
        commandPart = rest.left(bar);
        command.argv.append(rest.mid(bar + 1));
    } else {
        commandPart = rest.left(rest.size() - 1);
        command.argv.append(QString());
    }

    const qsizetype colon = commandPart.indexOf(QLatin1Char(':'));
    if (colon < 0) {
        command.name = commandPart;
        return command;
    }
    command.name = commandPart.left(colon);
    const QString arguments = commandPart.mid(colon + 1);
    if (arguments.isEmpty())
        return command;
    qsizetype start = 0;
    while (command.argc() < kMaxAppArguments) {
        const qsizetype comma = arguments.indexOf(QLatin1Char(','), start);
        if (comma < 0) {
            command.argv.append(arguments.mid(start));
            break;
        }
        command.argv.append(arguments.mid(start, comma - start));
        start = comma + 1;
    }
    return command;
}
