#include "base/ProgramPaths.h"

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

void LaunchProgram(const QString &path)
{
    ProcessLaunch::StartIdleDetached(path.isEmpty() ? PlatformFolders::ExecutablePath() : path);
}
