#include "base/PlatformHosts.h"

#include <QSettings>

#include "base/ProgramPaths.h"

namespace {

QString DemoOrigin(const char *host)
{
    return QStringLiteral("http://%1:%2").arg(QLatin1String(host)).arg(kDemoPlatformPort);
}

void ReadKey(const QSettings &ini, const char *key, QString &value)
{
    QString text = ini.value(QLatin1String(key)).toString().trimmed();
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
    QSettings ini(iniPath, QSettings::IniFormat);
    ini.beginGroup(QStringLiteral("Hosts"));
    ReadKey(ini, "Apps", hosts.apps);
    ReadKey(ini, "Resource", hosts.resource);
    ReadKey(ini, "Download", hosts.download);
    ReadKey(ini, "Portal", hosts.portal);
    ReadKey(ini, "Forum", hosts.forum);
    ReadKey(ini, "Pay", hosts.pay);
    ReadKey(ini, "Service", hosts.service);
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
