#include "update/GameDownload.h"

#include <QDir>

#include "base/PlatformHosts.h"
#include "base/ProgramPaths.h"
#include "update/UpdateCheck.h"

GameDownloadPlaces CurrentGameDownloadPlaces(const PlatformHosts &hosts)
{
    return {UpdateDescriptorAddress(hosts.resource), hosts.download, ProgramFileFolder(ProgramFileKind::Transient),
            QDir::tempPath(), DescriptorKey::FromSetting(hosts.updateKey)};
}

QString GameDescriptorAddress(const QString &updateDescriptorAddress, const QString &gameName)
{
    return QString(updateDescriptorAddress).replace(QLatin1String("ycj"), gameName, Qt::CaseSensitive);
}

QString GameInstallerPath(const QString &tempFolder, const QString &gameName)
{
    return tempFolder + QLatin1Char('/') + gameName + QStringLiteral(".exe");
}

QString DownloadStatusText(int percent)
{
    return QStringLiteral("已加载  %1%").arg(percent);
}
