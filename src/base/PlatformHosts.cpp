#include "base/PlatformHosts.h"

#include "base/ProfileIni.h"
#include "base/ProgramPaths.h"

namespace {

QString DemoOrigin(const char *host)
{
    return QStringLiteral("http://%1:%2").arg(QLatin1String(host)).arg(kDemoPlatformPort);
}

constexpr char kSection[] = "Hosts";

void ReadKey(const QString &iniPath, const char *key, QString &value)
{
    QString text = QString::fromUtf8(ProfileIni::ReadBytes(iniPath, kSection, key).value_or(QByteArray()));
    while (text.endsWith(QLatin1Char('/')))
        text.chop(1);
    if (!text.isEmpty())
        value = text;
}

} // namespace

PlatformHosts PlatformHosts::Defaults()
{
    PlatformHosts hosts;
    hosts.apps = DemoOrigin("www.qovan.localhost");
    // The resource host carries the game name, so other games' descriptors are found by
    // replacing it.
    hosts.resource = DemoOrigin("ycj.res.qovan.localhost");
    hosts.download = DemoOrigin("down.qovan.localhost");
    hosts.portal = DemoOrigin("www.qovan.localhost");
    hosts.forum = DemoOrigin("bbs.qovan.localhost");
    hosts.pay = DemoOrigin("pay.qovan.localhost");
    hosts.service = DemoOrigin("kf.qovan.localhost");
    return hosts;
}

PlatformHosts PlatformHosts::Load(const QString &iniPath)
{
    PlatformHosts hosts = Defaults();
    ReadKey(iniPath, "Apps", hosts.apps);
    ReadKey(iniPath, "Resource", hosts.resource);
    ReadKey(iniPath, "Download", hosts.download);
    ReadKey(iniPath, "Portal", hosts.portal);
    ReadKey(iniPath, "Forum", hosts.forum);
    ReadKey(iniPath, "Pay", hosts.pay);
    ReadKey(iniPath, "Service", hosts.service);
    if (const std::optional<QByteArray> key = ProfileIni::ReadBytes(iniPath, "Update", "PublicKey"))
        hosts.updateKey = QString::fromUtf8(*key);
    return hosts;
}

const PlatformHosts &PlatformHosts::Current()
{
    static const PlatformHosts hosts = Load(ExeDirPath(QStringLiteral("Platform.ini")));
    return hosts;
}

QString PlatformHosts::LoginPageUrl() const
{
    return apps + QStringLiteral("/ycj/");
}
