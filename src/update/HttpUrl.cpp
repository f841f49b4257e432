#include "update/HttpUrl.h"

namespace {

constexpr quint16 kHttpPort = 80;
constexpr quint16 kHttpsPort = 443;

const QLatin1String kHttp("http://");
const QLatin1String kHttps("https://");

// Letters, digits, "-", "_" and ".": a name or an IPv4 address, nothing that the
// transfer could read as user information, a fragment or a second host.
bool IsPlainHostName(const QString &host)
{
    for (const QChar c : host) {
        const bool plain = (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            || (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('-') || c == QLatin1Char('_')
            || c == QLatin1Char('.');
        if (!plain)
            return false;
    }
    return !host.isEmpty();
}

} // namespace

std::optional<HttpUrlParts> SplitHttpUrl(const QString &address)
{
    HttpUrlParts parts;
    qsizetype start = 0;
    if (address.startsWith(kHttp, Qt::CaseInsensitive)) {
        start = kHttp.size();
    } else if (address.startsWith(kHttps, Qt::CaseInsensitive)) {
        start = kHttps.size();
        parts.secure = true;
        parts.port = kHttpsPort;
    } else {
        return std::nullopt;
    }
    const qsizetype slash = address.indexOf(QLatin1Char('/'), start);
    QString host = slash < 0 ? address.mid(start) : address.mid(start, slash - start);
    parts.object = slash < 0 ? QString() : address.mid(slash + 1);

    const qsizetype colon = host.indexOf(QLatin1Char(':'));
    if (colon >= 0) {
        bool ok = false;
        const uint port = host.mid(colon + 1).toUInt(&ok);
        if (!ok || port == 0 || port > 0xFFFF)
            return std::nullopt;
        parts.port = quint16(port);
        host.truncate(colon);
    }
    if (!IsPlainHostName(host) || host.size() > kMaxHostLength || parts.object.size() > kMaxObjectLength)
        return std::nullopt;
    parts.host = host;
    return parts;
}

QString JoinHttpUrl(const HttpUrlParts &parts)
{
    const quint16 standard = parts.secure ? kHttpsPort : kHttpPort;
    QString text = parts.secure ? QString(kHttps) : QString(kHttp);
    text += parts.host;
    if (parts.port != standard)
        text += QLatin1Char(':') + QString::number(parts.port);
    return text + QLatin1Char('/') + parts.object;
}

bool IsOnHost(const QString &address, const QString &origin)
{
    const std::optional<HttpUrlParts> target = SplitHttpUrl(address);
    const std::optional<HttpUrlParts> expected = SplitHttpUrl(origin);
    return target && expected && target->secure == expected->secure && target->port == expected->port
        && target->host.compare(expected->host, Qt::CaseInsensitive) == 0;
}
