#include "game/PageTitle.h"

namespace {

const QString kAddressMarker = QStringLiteral("http");
const QString kGameMarker = QStringLiteral("翼川记-");
// The marker's four characters and the separator after it.
constexpr qsizetype kGameMarkerSkip = 5;

} // namespace

std::optional<QString> CleanPageTitle(const QString &rawTitle)
{
    if (rawTitle.contains(kAddressMarker))
        return std::nullopt;
    const qsizetype marker = rawTitle.indexOf(kGameMarker);
    if (marker < 0)
        return rawTitle;
    return rawTitle.mid(marker + kGameMarkerSkip);
}

QString BuildTabCaption(const QString &server, const QString &title, const QString &account)
{
    return server + QStringLiteral("服-") + title + QLatin1Char('-') + account;
}
