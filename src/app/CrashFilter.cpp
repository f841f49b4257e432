#include "app/CrashFilter.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include "platform/CrashReport.h"
#include "platform/PlatformFolders.h"

QString CrashReportPath(const QString &executablePath)
{
    if (executablePath.isEmpty())
        return {};
    const qsizetype nameStart = executablePath.lastIndexOf(QLatin1Char('/')) + 1;
    const qsizetype dot = executablePath.lastIndexOf(QLatin1Char('.'));
    const qsizetype end = dot > nameStart ? dot : executablePath.size();
    return executablePath.left(end) + QStringLiteral(".dmp");
}

QString CrashReportFallbackFolder()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    // The base directory specification ignores relative values.
    if (!state.startsWith(QLatin1Char('/')))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/岚汐");
}

bool InstallCrashFilter()
{
    const QByteArray report = QFile::encodeName(CrashReportPath(PlatformFolders::ExecutablePath()));
    const QByteArray fallback = QFile::encodeName(CrashReportFallbackFolder());
    return !report.isEmpty() && CrashReport::Install(report.constData(), fallback.constData());
}
