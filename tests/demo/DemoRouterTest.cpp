#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QSettings>
#include <QTemporaryDir>

#include "DemoRouter.h"
#include "update/DescriptorSignature.h"
#include "update/DescriptorSigner.h"

namespace {

constexpr int kPort = 18321;

HttpResponse Get(const DemoRouter &router, const QByteArray &authority, const QByteArray &target,
                 const QByteArray &method = "GET")
{
    const HttpParseResult parsed =
        ParseHttpRequest(method + ' ' + target + " HTTP/1.1\r\nHost: " + authority + "\r\n\r\n");
    EXPECT_EQ(parsed.state, HttpRequest::State::Complete);
    return router.Route(parsed.request);
}

// The keys of section "VerKey" of a descriptor body.
QMap<QString, QString> VerKey(const QByteArray &body)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("d.ini"));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(body);
    file.close();
    QSettings ini(path, QSettings::IniFormat);
    ini.beginGroup(QStringLiteral("VerKey"));
    QMap<QString, QString> keys;
    for (const QString &key : ini.childKeys())
        keys[key] = ini.value(key).toString();
    return keys;
}

QByteArray Header(const HttpResponse &response, const QByteArray &name)
{
    for (const auto &[key, value] : response.headers) {
        if (key == name)
            return value;
    }
    return {};
}

} // namespace

TEST(DemoRouterHosts, RoutesByHostIgnoringPortAndCase)
{
    const DemoRouter router({}, kPort);
    EXPECT_TRUE(Get(router, "www.qovan.localhost:18321", "/ycj/").body.contains("id=\"enter-game\""));
    EXPECT_TRUE(Get(router, "WWW.QOVAN.LOCALHOST", "/ycj/").body.contains("id=\"enter-game\""));
    EXPECT_EQ(Get(router, "bbs.qovan.localhost:1", "/f1089").status, 200);
    EXPECT_EQ(Get(router, "bbs.qovan.localhost", "/ycj/").status, 404);
    EXPECT_EQ(Get(router, "kf.qovan.localhost", "/f1089").status, 404);
    EXPECT_EQ(Get(router, "unknown.localhost", "/ycj/").status, 404);
    EXPECT_EQ(Get(router, "abc.res.qovan.localhost", "/wd/qovan/abcWDUpdate.htm").status, 404);
}

TEST(DemoRouterHosts, AddsTheMissingSlashKeepingTheQuery)
{
    const DemoRouter router({}, kPort);
    const HttpResponse response = Get(router, "www.qovan.localhost", "/game?account=abc&server_id=2");
    EXPECT_EQ(response.status, 301);
    EXPECT_EQ(Header(response, "Location"), "/game/?account=abc&server_id=2");
}

TEST(DemoRouterHosts, RefusesOtherMethodsAndUnsafeAssetNames)
{
    const DemoRouter router({}, kPort);
    const HttpResponse post = Get(router, "www.qovan.localhost", "/ycj/", "POST");
    EXPECT_EQ(post.status, 405);
    EXPECT_EQ(Header(post, "Allow"), "GET, HEAD");
    EXPECT_EQ(Get(router, "www.qovan.localhost", "/static/login.css").contentType, "text/css; charset=utf-8");
    EXPECT_EQ(Get(router, "www.qovan.localhost", "/static/../demo.qrc").status, 404);
    EXPECT_EQ(Get(router, "www.qovan.localhost", "/static/%2e%2e").status, 404);
    EXPECT_EQ(Get(router, "www.qovan.localhost", "/static/nothere.css").status, 404);
}

TEST(DemoRouterDescriptors, NamesTheUpdateFileByItsDigestAndAddress)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("fenlow"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("new launcher build 2");
    file.close();
    const DemoRouter router(path, kPort);

    const auto keys = VerKey(Get(router, "ycj.res.qovan.localhost:5555", "/wd/qovan/ycjWDUpdate.htm").body);
    EXPECT_EQ(keys.value(QStringLiteral("ycj")),
              QCryptographicHash::hash("new launcher build 2", QCryptographicHash::Md5).toHex());
    const QString address = keys.value(QStringLiteral("UpdAddr"));
    EXPECT_EQ(address, QStringLiteral("http://ycj.res.qovan.localhost:5555/wd/qovan/ycj/fenlow"));
    EXPECT_EQ(Get(router, "ycj.res.qovan.localhost", "/wd/qovan/ycj/fenlow").body, "new launcher build 2");
}

TEST(DemoRouterDescriptors, AreSignedWithTheRoutersKeyAndNameTheFilesSha256)
{
    auto signer = std::make_shared<const DescriptorSigner>(*DescriptorSigner::Generate());
    const DemoRouter router({}, kPort, signer);
    const DescriptorKey key = DescriptorKey::FromSetting(QString::fromLatin1(signer->PublicKeyBase64()));
    for (const char *game : {"ycj", "xyz", "qsz"}) {
        const QByteArray descriptor = Get(router, QByteArray(game) + ".res.qovan.localhost",
                                          "/wd/qovan/" + QByteArray(game) + "WDUpdate.htm").body;
        const std::optional<QByteArray> body = VerifiedDescriptorBody(descriptor, key);
        ASSERT_TRUE(body) << game;
        EXPECT_EQ(VerKey(*body).value(QString::fromLatin1(game)).size(), 32) << game;
    }
    const QByteArray installer = Get(router, "down.qovan.localhost", "/games/xyz/xyz_setup.sh").body;
    const auto keys = VerKey(Get(router, "xyz.res.qovan.localhost", "/wd/qovan/xyzWDUpdate.htm").body);
    EXPECT_EQ(keys.value(QStringLiteral("SHA256")), QCryptographicHash::hash(installer, QCryptographicHash::Sha256).toHex());
}

TEST(DemoRouterDescriptors, FallsBackToAPlaceholderWhenTheUpdateFileIsMissing)
{
    const DemoRouter router(QStringLiteral("/nonexistent/fenlow"), kPort);
    const QByteArray served = Get(router, "ycj.res.qovan.localhost", "/wd/qovan/ycj/fenlow").body;
    EXPECT_FALSE(served.isEmpty());
    const auto keys = VerKey(Get(router, "ycj.res.qovan.localhost", "/wd/qovan/ycjWDUpdate.htm").body);
    EXPECT_EQ(keys.value(QStringLiteral("ycj")), QCryptographicHash::hash(served, QCryptographicHash::Md5).toHex());
    EXPECT_EQ(keys.value(QStringLiteral("UpdAddr")),
              QStringLiteral("http://ycj.res.qovan.localhost:18321/wd/qovan/ycj/fenlow"));
}

TEST(DemoRouterDescriptors, OtherGamesAreFoundByReplacingTheGameName)
{
    const DemoRouter router({}, kPort);
    const QByteArray ycjAddress = "ycj.res.qovan.localhost:18321/wd/qovan/ycjWDUpdate.htm";
    for (const char *name : {"xyz", "Xyz"}) {
        QByteArray address = ycjAddress;
        address.replace("ycj", name);
        const qsizetype slash = address.indexOf('/');
        const HttpResponse response = Get(router, address.left(slash), address.mid(slash));
        ASSERT_EQ(response.status, 200) << name;
        const auto keys = VerKey(response.body);
        EXPECT_EQ(keys.value(QStringLiteral("UpdAddr")),
                  QStringLiteral("http://down.qovan.localhost:18321/games/xyz/xyz_setup.sh"));
        const QByteArray installer = Get(router, "down.qovan.localhost", "/games/xyz/xyz_setup.sh").body;
        EXPECT_TRUE(installer.startsWith("#!/bin/sh"));
        EXPECT_EQ(keys.value(QStringLiteral("xyz")), QCryptographicHash::hash(installer, QCryptographicHash::Md5).toHex());
    }
    const auto unpublished = VerKey(Get(router, "qsz.res.qovan.localhost", "/wd/qovan/qszWDUpdate.htm").body);
    EXPECT_TRUE(unpublished.contains(QStringLiteral("qsz")));
    EXPECT_FALSE(unpublished.contains(QStringLiteral("UpdAddr")));
}

TEST(DemoRouterMisbehaviour, AnswersFaultyOnPurposeOnAnyHost)
{
    const DemoRouter router({}, kPort);
    const HttpResponse broken = Get(router, "unknown.localhost", "/broken");
    EXPECT_GT(broken.announcedLength, broken.body.size());
    EXPECT_TRUE(broken.Head().contains("Content-Length: " + QByteArray::number(broken.announcedLength)));
    const HttpResponse overlong = Get(router, "www.qovan.localhost", "/overlong");
    EXPECT_LT(overlong.announcedLength, overlong.body.size());
    EXPECT_FALSE(Get(router, "www.qovan.localhost", "/nolength").Head().contains("Content-Length"));
    EXPECT_EQ(Get(router, "www.qovan.localhost", "/slow").delayMs, 3000);
    EXPECT_EQ(Get(router, "www.qovan.localhost", "/slow?ms=250").delayMs, 250);
    EXPECT_EQ(Get(router, "www.qovan.localhost", "/slow?ms=99999999").delayMs, 30000);
    EXPECT_EQ(Get(router, "www.qovan.localhost", "/status/500").status, 500);
    EXPECT_EQ(Get(router, "www.qovan.localhost", "/status/503").status, 503);
    EXPECT_EQ(Get(router, "www.qovan.localhost", "/status/42").status, 404);
    EXPECT_EQ(Get(router, "www.qovan.localhost", "/status/abc").status, 404);
}
