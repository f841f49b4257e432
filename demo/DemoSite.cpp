#include "DemoSite.h"

#include <QFile>
#include <QRegularExpression>

// Resources of a static library are registered by name, outside any namespace.
static void InitDemoResources()
{
    Q_INIT_RESOURCE(demo);
}

namespace {

constexpr char kStaticPrefix[] = "/static/";

QByteArray ReadResource(const QString &path, bool *found)
{
    static const bool registered = (InitDemoResources(), true);
    Q_UNUSED(registered);
    QFile file(path);
    *found = file.open(QIODevice::ReadOnly);
    return *found ? file.readAll() : QByteArray();
}

} // namespace

QByteArray ContentTypeFor(const QByteArray &fileName)
{
    struct Type {
        const char *extension;
        const char *contentType;
    };
    static constexpr Type kTypes[] = {
        {".html", "text/html; charset=utf-8"}, {".css", "text/css; charset=utf-8"},
        {".js", "text/javascript; charset=utf-8"}, {".svg", "image/svg+xml"},
        {".png", "image/png"}, {".ico", "image/x-icon"}, {".sh", "application/octet-stream"},
    };
    for (const Type &type : kTypes) {
        if (fileName.endsWith(type.extension))
            return type.contentType;
    }
    return "application/octet-stream";
}

HttpResponse SitePage(const char *name)
{
    bool found = false;
    const QByteArray html = ReadResource(QStringLiteral(":/www/%1/index.html").arg(QLatin1String(name)), &found);
    return found ? HttpResponse::Page(200, html) : HttpResponse::Error(404);
}

std::optional<HttpResponse> StaticAsset(const QByteArray &path)
{
    if (!path.startsWith(kStaticPrefix))
        return std::nullopt;
    const QByteArray name = path.mid(qstrlen(kStaticPrefix));
    static const QRegularExpression plainName(QStringLiteral("^[A-Za-z0-9_-]+(\\.[A-Za-z0-9]+)+$"));
    if (!plainName.match(QString::fromLatin1(name)).hasMatch())
        return HttpResponse::Error(404);
    bool found = false;
    const QByteArray bytes = ReadResource(QStringLiteral(":/www/static/") + QString::fromLatin1(name), &found);
    if (!found)
        return HttpResponse::Error(404);
    HttpResponse response = HttpResponse::Page(200, bytes);
    response.contentType = ContentTypeFor(name);
    return response;
}
