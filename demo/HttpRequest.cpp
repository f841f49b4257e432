#include "HttpRequest.h"

namespace {

bool IsTokenChar(char c)
{
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return true;
    return QByteArrayView("!#$%&'*+-.^_`|~").contains(c);
}

bool IsToken(const QByteArray &text)
{
    if (text.isEmpty())
        return false;
    for (char c : text) {
        if (!IsTokenChar(c))
            return false;
    }
    return true;
}

bool HasControlChars(const QByteArray &text)
{
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if ((u < 0x20 && c != '\t') || u == 0x7f)
            return true;
    }
    return false;
}

// Finds the blank line that ends the head; sets `separatorLength` to its length.
qsizetype HeadEnd(const QByteArray &buffer, int &separatorLength)
{
    const qsizetype crlf = buffer.indexOf("\r\n\r\n");
    const qsizetype lf = buffer.indexOf("\n\n");
    if (crlf >= 0 && (lf < 0 || crlf < lf)) {
        separatorLength = 4;
        return crlf;
    }
    separatorLength = 2;
    return lf;
}

QByteArray HostFromAuthority(const QByteArray &authority)
{
    QByteArray host = authority.toLower();
    if (host.startsWith('[')) {
        const qsizetype close = host.indexOf(']');
        return close < 0 ? QByteArray() : host.left(close + 1);
    }
    const qsizetype colon = host.indexOf(':');
    if (colon >= 0)
        host.truncate(colon);
    while (host.endsWith('.'))
        host.chop(1);
    return host;
}

bool ValidAuthority(const QByteArray &authority)
{
    for (char c : authority) {
        const auto u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u == 0x7f || c == '/' || c == '@')
            return false;
    }
    return true;
}

bool ParseRequestLine(const QByteArray &line, HttpRequest &request)
{
    const QList<QByteArray> parts = line.split(' ');
    if (parts.size() != 3 || !IsToken(parts[0]) || parts[1].isEmpty() || HasControlChars(parts[1]))
        return false;
    if (parts[2] != "HTTP/1.1" && parts[2] != "HTTP/1.0")
        return false;
    request.method = parts[0];
    request.target = parts[1];
    request.version = parts[2];

    QByteArray originForm = request.target;
    if (originForm.startsWith("http://")) {
        const qsizetype slash = originForm.indexOf('/', 7);
        request.authority = originForm.mid(7, slash < 0 ? -1 : slash - 7);
        originForm = slash < 0 ? QByteArray("/") : originForm.mid(slash);
    } else if (!originForm.startsWith('/')) {
        return false;
    }
    const qsizetype question = originForm.indexOf('?');
    request.path = question < 0 ? originForm : originForm.left(question);
    request.query = question < 0 ? QByteArray() : originForm.mid(question + 1);
    return true;
}

// A head still being received is refused early when it cannot become a request: its
// first byte cannot start a method (binary or TLS traffic), or its first line is
// complete and malformed.
bool StartsBadly(const QByteArray &buffer)
{
    if (buffer.isEmpty())
        return false;
    if (!IsTokenChar(buffer.front()))
        return true;
    const qsizetype lineEnd = buffer.indexOf('\n');
    if (lineEnd < 0)
        return false;
    HttpRequest request;
    return !ParseRequestLine(buffer.left(lineEnd).chopped(buffer.at(lineEnd - 1) == '\r' ? 1 : 0), request);
}

} // namespace

QByteArray HttpRequest::Header(const QByteArray &name) const
{
    for (const auto &[key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

QByteArray HttpRequest::QueryValue(const QByteArray &key) const
{
    for (const QByteArray &pair : query.split('&')) {
        const qsizetype equals = pair.indexOf('=');
        const QByteArray name = equals < 0 ? pair : pair.left(equals);
        if (name == key) {
            QByteArray value = equals < 0 ? QByteArray() : pair.mid(equals + 1);
            value.replace('+', ' ');
            return QByteArray::fromPercentEncoding(value);
        }
    }
    return {};
}

int HttpRequest::AuthorityPort(int fallback) const
{
    const qsizetype bracket = authority.lastIndexOf(']');
    const qsizetype colon = authority.lastIndexOf(':');
    if (colon < 0 || colon < bracket)
        return fallback;
    bool ok = false;
    const int port = authority.mid(colon + 1).toInt(&ok);
    return ok && port > 0 && port < 65536 ? port : fallback;
}

HttpParseResult ParseHttpRequest(const QByteArray &buffer)
{
    HttpParseResult result;
    int separatorLength = 0;
    const qsizetype end = HeadEnd(buffer, separatorLength);
    if (end < 0) {
        result.state = buffer.size() > kMaxRequestHeadBytes || StartsBadly(buffer)
                           ? HttpRequest::State::Bad
                           : HttpRequest::State::Incomplete;
        return result;
    }
    result.state = HttpRequest::State::Bad;
    if (end + separatorLength > kMaxRequestHeadBytes)
        return result;

    QList<QByteArray> lines = buffer.left(end).split('\n');
    for (QByteArray &line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    HttpRequest &request = result.request;
    if (!ParseRequestLine(lines.takeFirst(), request))
        return result;

    bool sawHost = false;
    for (const QByteArray &line : lines) {
        const qsizetype colon = line.indexOf(':');
        const QByteArray name = line.left(colon);
        if (colon <= 0 || !IsToken(name))
            return result;
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (HasControlChars(value))
            return result;
        if (name.compare("Host", Qt::CaseInsensitive) == 0) {
            if (sawHost || !ValidAuthority(value))
                return result;
            sawHost = true;
            if (request.authority.isEmpty())
                request.authority = value;
        }
        request.headers.emplaceBack(name, value);
    }
    if (request.version == "HTTP/1.1" && !sawHost)
        return result;
    request.host = HostFromAuthority(request.authority);
    result.state = HttpRequest::State::Complete;
    return result;
}
