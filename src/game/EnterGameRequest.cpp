#include "game/EnterGameRequest.h"

#include <QUrl>

namespace {

constexpr qsizetype kMaxPath = 260;

bool IsWebAddress(const QString &text)
{
    const QUrl url(text);
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty()
        && (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

} // namespace

bool IsEnterGameAddress(const QString &address)
{
    return address.startsWith(QLatin1String(kEnterGamePrefix));
}

std::optional<EnterGameRequest> ParseEnterGameRequest(const QString &address, const QString &portalPage)
{
    if (!IsEnterGameAddress(address))
        return std::nullopt;
    QString name = address.mid(qsizetype(sizeof kEnterGamePrefix) - 1);
    QString page;
    const qsizetype bar = name.indexOf(QLatin1Char('|'));
    if (bar >= 0) {
        page = name.mid(bar + 1);
        name.truncate(bar);
    }
    name.remove(QLatin1Char('/'));
    if (name.isEmpty())
        return std::nullopt;
    // Only a lower-case ASCII letter changes: anything else would become a different,
    // unrelated character.
    const QChar first = name.at(0);
    if (first >= QLatin1Char('a') && first <= QLatin1Char('z'))
        name[0] = first.toUpper();
    return EnterGameRequest{name, IsWebAddress(page) ? page : portalPage};
}

QString LauncherPath(const QString &installFolder, const QString &name)
{
    if (installFolder.isEmpty() || name.isEmpty())
        return {};
    const QString path = installFolder + QLatin1Char('/') + name + QStringLiteral(".exe");
    return path.size() > kMaxPath ? QString() : path;
}
