#include "platform/PlatformFolders.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
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

QString Cache()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
}

QString Temp()
{
    return QDir::tempPath();
}

bool IsWritableFolder(const QString &folder)
{
    return !folder.isEmpty() && ::access(QFile::encodeName(folder).constData(), W_OK | X_OK) == 0;
}

namespace {

constexpr mode_t kPrivateMode = S_IRWXU;

// lstat never follows a link, so a planted link is seen as the link it is. `mode`
// receives the folder's permission bits.
bool IsOwnRealFolder(const QByteArray &path, mode_t *mode)
{
    struct stat info = {};
    if (::lstat(path.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid())
        return false;
    *mode = info.st_mode & 07777;
    return true;
}

} // namespace

QString OwnPrivateFolder(const QString &base, const QString &name)
{
    if (base.isEmpty() || name.isEmpty() || name.contains(QLatin1Char('/')) || !QDir().mkpath(base))
        return {};
    const QString folder = base + QLatin1Char('/') + name;
    const QByteArray path = QFile::encodeName(folder);
    if (::mkdir(path.constData(), kPrivateMode) != 0 && errno != EEXIST)
        return {};
    // Others lose their access; the owner keeps what they chose, so a folder the player
    // made read-only stays read-only.
    mode_t mode = 0;
    if (!IsOwnRealFolder(path, &mode))
        return {};
    if ((mode & ~kPrivateMode) && ::chmod(path.constData(), mode & kPrivateMode) != 0)
        return {};
    return folder;
}

QString NewPrivateFolder(const QString &base, const QString &prefix)
{
    if (base.isEmpty())
        return {};
    // mkdtemp makes the folder with mode 0700 under a name no one held.
    QByteArray path = QFile::encodeName(base + QLatin1Char('/') + prefix) + "XXXXXX";
    return ::mkdtemp(path.data()) ? QFile::decodeName(path) : QString();
}

} // namespace PlatformFolders
