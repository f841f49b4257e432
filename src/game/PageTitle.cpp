#include "game/PageTitle.h"

namespace {

const QString kAddressMarker = QStringLiteral("http");
const QString kGameMarker = QStringLiteral("翼川记-");
// The marker's four characters and the separator after it.
constexpr qsizetype kGameMarkerSkip = 5;

// The address without "scheme://" and without a trailing "/".
QString BareAddress(QString address)
{
    const qsizetype scheme = address.indexOf(QLatin1String("://"));
    if (scheme >= 0)
        address.remove(0, scheme + 3);
    if (address.endsWith(QLatin1Char('/')))
        address.chop(1);
    return address;
}

} // namespace

std::optional<QString> CleanPageTitle(const QString &rawTitle, const QString &pageAddress)
{
    if (rawTitle.contains(kAddressMarker))
        return std::nullopt;
    if (!pageAddress.isEmpty() && BareAddress(rawTitle) == BareAddress(pageAddress))
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
