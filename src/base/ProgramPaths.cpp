#include "base/ProgramPaths.h"

#include <QFile>

#include "platform/PlatformFolders.h"
#include "platform/ProcessLaunch.h"

QString ExeDirPathOf(const QString &executablePath, const QString &fileName)
{
    const qsizetype slash = executablePath.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return {};
    return executablePath.left(slash + 1) + fileName;
}

QString ExeDirPath(const QString &fileName, bool *ok)
{
    const QString path = ExeDirPathOf(PlatformFolders::ExecutablePath(), fileName);
    if (ok)
        *ok = !path.isEmpty();
    return path;
}

QString ProgramFileFolderIn(const ProgramFileRoots &roots, ProgramFileKind kind)
{
    if (roots.besideExecutable) {
        QString folder = ExeDirPathOf(roots.executable, QString());
        folder.chop(1);
        return folder;
    }
    const QString &home = kind == ProgramFileKind::Setting ? roots.configHome : roots.cacheHome;
    return PlatformFolders::OwnPrivateFolder(home, QLatin1String(kUserFolderName));
}

bool KeepsFilesBesideExecutable()
{
    const QString executable = PlatformFolders::ExecutablePath();
    return PlatformFolders::IsWritableFolder(ExeDirPathOf(executable, QString())) && !IsPackagedCopy();
}

QString ProgramFileFolder(ProgramFileKind kind)
{
    return ProgramFileFolderIn({PlatformFolders::ExecutablePath(), KeepsFilesBesideExecutable(),
                                PlatformFolders::Config(), PlatformFolders::Cache()},
                               kind);
}

QString ProgramFilePath(const QString &fileName, ProgramFileKind kind)
{
    const QString folder = ProgramFileFolder(kind);
    if (folder.isEmpty())
        return {};
    return folder + QLatin1Char('/') + fileName;
}

bool IsOwnedByPackage(const QString &path, const QString &packageList)
{
    QFile list(packageList);
    if (path.isEmpty() || !list.open(QIODevice::ReadOnly))
        return false;
    const QByteArray wanted = QFile::encodeName(path);
    while (!list.atEnd()) {
        QByteArray line = list.readLine();
        if (line.endsWith('\n'))
            line.chop(1);
        if (line == wanted)
            return true;
    }
    return false;
}

QString OwnPackageFileList()
{
    return QStringLiteral("/var/lib/dpkg/info/fenlow.list");
}

bool IsPackagedCopy()
{
    // The executable does not change while the program runs.
    static const bool packaged = IsOwnedByPackage(PlatformFolders::ExecutablePath(), OwnPackageFileList());
    return packaged;
}

void LaunchProgram(const QString &path)
{
    ProcessLaunch::StartIdleDetached(path.isEmpty() ? PlatformFolders::ExecutablePath() : path);
}
