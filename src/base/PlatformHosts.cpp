#include "base/PlatformHosts.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

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

constexpr char kSystemHostsFile[] = "/etc/fenlow/Platform.ini";
// A hosts file is a few lines; anything larger is not one.
constexpr qint64 kHostsFileLimit = 64 * 1024;

// What makes `path` unusable as a hosts file; empty when it is usable.
QString ProblemOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot be read");
    const QByteArray data = file.read(kHostsFileLimit + 1);
    if (data.trimmed().isEmpty())
        return QStringLiteral("is empty");
    if (data.size() > kHostsFileLimit)
        return QStringLiteral("is too large");
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(data);
    return utf8.hasError() || data.contains('\0') ? QStringLiteral("is not text") : QString();
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

PlatformHosts PlatformHosts::LoadFirst(const QStringList &candidates, QString *problem)
{
    for (const QString &path : candidates) {
        if (path.isEmpty() || !QFileInfo::exists(path))
            continue;
        const QString wrong = ProblemOf(path);
        if (wrong.isEmpty())
            return Load(path);
        if (problem)
            *problem = path + QLatin1Char(' ') + wrong;
        return Defaults();
    }
    return Defaults();
}

QStringList PlatformHosts::Candidates()
{
    return {ExeDirPath(QStringLiteral("Platform.ini")), QLatin1String(kSystemHostsFile)};
}

PlatformHosts PlatformHosts::Installed()
{
    QString problem;
    PlatformHosts read = LoadFirst(Candidates(), &problem);
    if (!problem.isEmpty())
        qWarning("fenlow: %s; using the demo platform's hosts", qUtf8Printable(problem));
    return read;
}

QString PlatformHosts::LoginPageUrl() const
{
    return apps + QStringLiteral("/ycj/");
}
