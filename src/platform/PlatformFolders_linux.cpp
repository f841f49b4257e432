#include "platform/PlatformFolders.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace PlatformFolders {

QString ExecutablePath()
{
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}

QString CommonAppData()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}

QString Desktop()
{
    return QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
}

QString Programs()
{
    return QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation);
}

QString Config()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

QString Temp()
{
    return QDir::tempPath();
}

} // namespace PlatformFolders
