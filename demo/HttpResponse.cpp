#include "HttpResponse.h"

namespace {

struct ErrorText {
    int status;
    const char *title;
    const char *detail;
};

constexpr ErrorText kErrorTexts[] = {
    {400, "请求无效", "服务器无法理解这次请求。"},
    {404, "页面不存在", "您访问的页面不存在或已被移除。"},
    {405, "不支持的请求方式", "此服务器只接受 GET 与 HEAD 请求。"},
    {500, "服务器内部错误", "服务器暂时无法处理您的请求，请稍后重试。"},
};

} // namespace

QByteArray ReasonPhrase(int status)
{
    switch (status) {
    case 200: return "OK";
    case 204: return "No Content";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 304: return "Not Modified";
    case 400: return "Bad Request";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 500: return "Internal Server Error";
    case 502: return "Bad Gateway";
    case 503: return "Service Unavailable";
    default: return "Status";
    }
}

QByteArray HttpResponse::Head() const
{
    QByteArray head = "HTTP/1.1 " + QByteArray::number(status) + ' ' + ReasonPhrase(status) + "\r\n";
    head += "Server: fenlow-demo\r\n";
    head += "Connection: close\r\n";
    head += "Cache-Control: no-store\r\n";
    if (!contentType.isEmpty())
        head += "Content-Type: " + contentType + "\r\n";
    if (!omitLength) {
        const qint64 length = announcedLength >= 0 ? announcedLength : body.size();
        head += "Content-Length: " + QByteArray::number(length) + "\r\n";
    }
    for (const auto &[name, value] : headers)
        head += name + ": " + value + "\r\n";
    head += "\r\n";
    return head;
}

QByteArray HttpResponse::Serialize(bool headOnly) const
{
    return headOnly ? Head() : Head() + body;
}

HttpResponse HttpResponse::Page(int status, const QByteArray &html)
{
    HttpResponse response;
    response.status = status;
    response.body = html;
    return response;
}

HttpResponse HttpResponse::Error(int status)
{
    const char *title = "请求失败";
    const char *detail = "服务器无法完成这次请求。";
    for (const ErrorText &text : kErrorTexts) {
        if (text.status == status) {
            title = text.title;
            detail = text.detail;
        }
    }
    const QByteArray code = QByteArray::number(status);
    const QByteArray html =
        "<!DOCTYPE html><html lang=\"zh-CN\"><head><meta charset=\"utf-8\"><title>" + code + ' '
        + title + " - qovan游戏平台</title><style>"
          "body{margin:0;min-height:100vh;display:flex;align-items:center;justify-content:center;"
          "background:linear-gradient(160deg,#0f2438,#1d4a6b);color:#e8f1f8;"
          "font-family:'WenQuanYi Micro Hei','Microsoft YaHei',sans-serif}"
          ".box{text-align:center;padding:40px 56px;border-radius:10px;background:rgba(255,255,255,.08);"
          "box-shadow:0 10px 40px rgba(0,0,0,.35)}"
          ".code{font-size:64px;font-weight:bold;color:#f5c15a;letter-spacing:4px}"
          "h1{margin:8px 0 12px;font-size:22px}p{margin:0 0 20px;color:#a9c2d6}"
          "a{color:#f5c15a;text-decoration:none}</style></head><body><div class=\"box\">"
          "<div class=\"code\" id=\"error-code\">" + code + "</div><h1 id=\"error-title\">" + title
        + "</h1><p>" + detail + "</p><a href=\"/\">返回首页</a></div></body></html>\n";
    return Page(status, html);
}
