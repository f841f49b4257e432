#include "Misbehaviour.h"

namespace {

constexpr int kDefaultDelayMs = 3000;
constexpr int kMaxDelayMs = 30000;
constexpr int kBrokenBodyBytes = 1000;
constexpr int kBrokenAnnouncedBytes = 4000;
constexpr int kOverlongAnnouncedBytes = 500;

QByteArray FillerText(int bytes)
{
    QByteArray text;
    while (text.size() < bytes)
        text += "qovan demo body line\n";
    text.truncate(bytes);
    return text;
}

HttpResponse TextResponse(const QByteArray &body)
{
    HttpResponse response = HttpResponse::Page(200, body);
    response.contentType = "text/plain; charset=utf-8";
    return response;
}

} // namespace

std::optional<HttpResponse> Misbehaviour(const HttpRequest &request)
{
    const QByteArray &path = request.path;
    if (path == "/slow") {
        bool ok = false;
        const int requested = request.QueryValue("ms").toInt(&ok);
        HttpResponse response = TextResponse("slow answer\n");
        response.delayMs = ok ? qBound(0, requested, kMaxDelayMs) : kDefaultDelayMs;
        return response;
    }
    if (path == "/broken") {
        HttpResponse response = TextResponse(FillerText(kBrokenBodyBytes));
        response.announcedLength = kBrokenAnnouncedBytes;
        return response;
    }
    if (path == "/overlong") {
        HttpResponse response = TextResponse(FillerText(kBrokenBodyBytes));
        response.announcedLength = kOverlongAnnouncedBytes;
        return response;
    }
    if (path == "/nolength") {
        HttpResponse response = TextResponse(FillerText(kBrokenBodyBytes));
        response.omitLength = true;
        return response;
    }
    if (path.startsWith("/status/")) {
        bool ok = false;
        const int status = path.mid(qstrlen("/status/")).toInt(&ok);
        if (!ok || status < 200 || status > 599)
            return HttpResponse::Error(404);
        return HttpResponse::Error(status);
    }
    return std::nullopt;
}
