#include "platform/PlatformFolders.h"

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

} // namespace PlatformFolders
