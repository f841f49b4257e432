#include "DemoRouter.h"

#include <QCryptographicHash>
#include <QFile>
#include <QRegularExpression>

#include "DemoSite.h"
#include "Misbehaviour.h"
#include "update/DescriptorSigner.h"

namespace {

constexpr char kAppsHost[] = "www.qovan.localhost";
constexpr char kDownloadHost[] = "down.qovan.localhost";
constexpr char kForumHost[] = "bbs.qovan.localhost";
constexpr char kPayHost[] = "pay.qovan.localhost";
constexpr char kServiceHost[] = "kf.qovan.localhost";
constexpr char kResourceSuffix[] = ".res.qovan.localhost";

constexpr char kUpdateFilePath[] = "/wd/qovan/ycj/fenlow";
constexpr char kInstallerPath[] = "/games/xyz/xyz_setup.sh";
constexpr char kInstallerResource[] = ":/www/setup/xyz_setup.sh";
constexpr char kPlaceholderBuild[] = "#!/bin/sh\n# fenlow placeholder build: no launcher was built beside the demo platform\n";

// The platform's games: "ycj" is this launcher, "xyz" has an installer on the download
// host, "qsz" has no installer published yet (its descriptor lacks "UpdAddr").
bool IsKnownGame(const QByteArray &game)
{
    return game == "ycj" || game == "xyz" || game == "qsz";
}

QByteArray Md5Hex(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex();
}

QByteArray Sha256Hex(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

QByteArray ResourceBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

HttpResponse Redirect(const QByteArray &location)
{
    HttpResponse response = HttpResponse::Page(301, "<!DOCTYPE html><a href=\"" + location + "\">"
                                                        + location + "</a>\n");
    response.headers.emplaceBack("Location", location);
    return response;
}

// "/ycj" -> "/ycj/", keeping the query.
HttpResponse AddSlash(const HttpRequest &request)
{
    QByteArray location = request.path + '/';
    if (!request.query.isEmpty())
        location += '?' + request.query;
    return Redirect(location);
}

} // namespace

DemoRouter::DemoRouter(QString updateFilePath, int port, std::shared_ptr<const DescriptorSigner> signer)
    : m_updateFilePath(std::move(updateFilePath)), m_port(port), m_signer(std::move(signer))
{
}

QByteArray DemoRouter::UpdateFileBytes() const
{
    QFile file(m_updateFilePath);
    if (m_updateFilePath.isEmpty() || !file.open(QIODevice::ReadOnly))
        return kPlaceholderBuild;
    return file.readAll();
}

HttpResponse DemoRouter::Route(const HttpRequest &request) const
{
    if (request.method != "GET" && request.method != "HEAD") {
        HttpResponse response = HttpResponse::Error(405);
        response.headers.emplaceBack("Allow", "GET, HEAD");
        return response;
    }
    if (const auto misbehaviour = Misbehaviour(request))
        return *misbehaviour;

    const QByteArray &host = request.host;
    if (host == kAppsHost)
        return RouteApps(request);
    if (host.endsWith(kResourceSuffix))
        return RouteResource(host.chopped(qstrlen(kResourceSuffix)), request);
    if (host == kDownloadHost)
        return RouteDownload(request);

    if (const auto asset = StaticAsset(request.path))
        return *asset;
    if (host == kForumHost && request.path == "/f1089")
        return SitePage("forum");
    if (host == kPayHost && request.path == "/pay")
        return AddSlash(request);
    if (host == kPayHost && request.path == "/pay/")
        return SitePage("pay");
    if (host == kServiceHost && (request.path == "/kf" || request.path == "/kf/"))
        return SitePage("kf");
    return HttpResponse::Error(404);
}

HttpResponse DemoRouter::RouteApps(const HttpRequest &request) const
{
    const QByteArray &path = request.path;
    if (const auto asset = StaticAsset(path))
        return *asset;
    if (path == "/ycj" || path == "/game")
        return AddSlash(request);
    if (path == "/ycj/" || path == "/ycj/index.html")
        return SitePage("login");
    if (path == "/game/" || path == "/game/index.html")
        return SitePage("game");
    static const QRegularExpression portal(QStringLiteral("^/(qv[a-z]+/)?$"));
    if (portal.match(QString::fromLatin1(path)).hasMatch())
        return SitePage("portal");
    return HttpResponse::Error(404);
}

HttpResponse DemoRouter::RouteResource(const QByteArray &game, const HttpRequest &request) const
{
    if (!IsKnownGame(game))
        return HttpResponse::Error(404);
    // The launcher of another game capitalises the name it puts into the path, so the
    // name there is matched without regard to case.
    const QByteArray descriptor = "/wd/qovan/" + game + "wdupdate.htm";
    if (request.path.toLower() == descriptor)
        return Descriptor(game, request);
    if (game == "ycj" && request.path == kUpdateFilePath) {
        HttpResponse response = HttpResponse::Page(200, UpdateFileBytes());
        response.contentType = "application/octet-stream";
        return response;
    }
    return HttpResponse::Error(404);
}

HttpResponse DemoRouter::RouteDownload(const HttpRequest &request) const
{
    if (request.path != kInstallerPath)
        return HttpResponse::Error(404);
    HttpResponse response = HttpResponse::Page(200, ResourceBytes(kInstallerResource));
    response.contentType = "application/octet-stream";
    return response;
}

HttpResponse DemoRouter::Descriptor(const QByteArray &game, const HttpRequest &request) const
{
    QByteArray file = game;
    QByteArray address;
    if (game == "ycj") {
        file = UpdateFileBytes();
        address = Origin("ycj.res.qovan.localhost", request) + kUpdateFilePath;
    } else if (game == "xyz") {
        file = ResourceBytes(kInstallerResource);
        address = Origin(kDownloadHost, request) + kInstallerPath;
    }
    QByteArray text = "[VerKey]\r\n" + game + '=' + Md5Hex(file) + "\r\n";
    if (!address.isEmpty())
        text += "UpdAddr=" + address + "\r\nSHA256=" + Sha256Hex(file) + "\r\n";
    if (m_signer)
        text = m_signer->SignDescriptor(text).value_or(QByteArray());
    HttpResponse response = HttpResponse::Page(200, text);
    response.contentType = "text/plain; charset=utf-8";
    return response;
}

QByteArray DemoRouter::Origin(const char *host, const HttpRequest &request) const
{
    return "http://" + QByteArray(host) + ':' + QByteArray::number(request.AuthorityPort(m_port));
}
