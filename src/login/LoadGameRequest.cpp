#include "login/LoadGameRequest.h"

#include <QStringDecoder>

namespace {

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool IsEscapeAt(const QByteArray &text, qsizetype i)
{
    return i + 2 < text.size() && text.at(i) == '%' && HexValue(text.at(i + 1)) >= 0
        && HexValue(text.at(i + 2)) >= 0;
}

// Cuts `encoded` to at most the limit, moving the cut before an escape it would split.
QByteArray CutToLimit(const QByteArray &encoded)
{
    if (encoded.size() <= kMaxEncodedAccountBytes)
        return encoded;
    qsizetype cut = kMaxEncodedAccountBytes;
    for (qsizetype i = cut - 2; i < cut; ++i) {
        if (i >= 0 && IsEscapeAt(encoded, i)) {
            cut = i;
            break;
        }
    }
    return encoded.left(cut);
}

QByteArray PercentDecode(const QByteArray &encoded)
{
    QByteArray decoded;
    decoded.reserve(encoded.size());
    for (qsizetype i = 0; i < encoded.size(); ++i) {
        if (IsEscapeAt(encoded, i)) {
            decoded.append(static_cast<char>(HexValue(encoded.at(i + 1)) * 16 + HexValue(encoded.at(i + 2))));
            i += 2;
        } else {
            decoded.append(encoded.at(i));
        }
    }
    return decoded;
}

} // namespace

LoadGameRequest LoadGameRequest::FromArguments(const QStringList &argv)
{
    LoadGameRequest request;
    request.pageAddress = argv.value(0);
    request.account = argv.size() > 1 ? argv.at(1)
                                      : ParameterValue(request.pageAddress, QStringLiteral("account="));
    if (request.account.contains(QLatin1Char('%')))
        request.account = DecodeAccount(request.account);
    request.server = argv.size() > 2 ? argv.at(2)
                                     : ParameterValue(request.pageAddress, QStringLiteral("server_id="));
    // Server names such as "一区" arrive percent-encoded as accounts do.
    if (request.server.contains(QLatin1Char('%')))
        request.server = DecodeAccount(request.server);
    return request;
}

QString ParameterValue(const QString &parameters, const QString &key)
{
    const qsizetype at = parameters.indexOf(key);
    if (at < 0)
        return {};
    const qsizetype start = at + key.size();
    const qsizetype end = parameters.indexOf(QLatin1Char('&'), start);
    return parameters.mid(start, end < 0 ? -1 : end - start);
}

QString DecodeAccount(const QString &account)
{
    if (!account.contains(QLatin1Char('%')))
        return account;
    // A stateful decoder keeps an incomplete last character back instead of emitting it.
    QStringDecoder utf8(QStringDecoder::Utf8);
    return utf8.decode(PercentDecode(CutToLimit(account.toUtf8())));
}

QString DuplicateLoginMessage(const QString &account, const QString &server)
{
    return QStringLiteral("账号 %1 已在 %2服 登录，同一账号不能在一服重复登录").arg(account, server);
}
