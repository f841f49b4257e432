#include "base/StartMode.h"

#include <QFileInfo>

#include "platform/PlatformFolders.h"

QString InstallFolderBelow(const QString &commonAppData)
{
    if (commonAppData.isEmpty())
        return {};
    return commonAppData + QStringLiteral("/岚汐/ViziDuved");
}

QString InstallFolder()
{
    return InstallFolderBelow(PlatformFolders::CommonAppData());
}

StartMode ClassifyStartMode(const QStringList &arguments, const QString &executablePath,
                            const QString &commonAppData)
{
    if (arguments.size() > 1) {
        const QString &first = arguments.at(1);
        if (first.compare(QStringLiteral("/webycjD"), Qt::CaseInsensitive) == 0)
            return StartMode::WebSwitch;
        if (first.compare(QStringLiteral("/ycjD"), Qt::CaseInsensitive) == 0)
            return StartMode::DirectSwitch;
        if (first.compare(QStringLiteral("/uninst"), Qt::CaseInsensitive) == 0)
            return StartMode::Uninstall;
    }
    const QString folder = InstallFolderBelow(commonAppData);
    if (executablePath.isEmpty() || folder.isEmpty())
        return StartMode::Plain;
    // The executable's path arrives with its links resolved, so the folder is compared
    // resolved too (a linked home or data folder), as well as it is written.
    const QString resolvedData = QFileInfo(commonAppData).canonicalFilePath();
    const QString resolved = resolvedData.isEmpty() ? folder : InstallFolderBelow(resolvedData);
    // A substring test, not a prefix test: a copy anywhere below a path that merely
    // contains the install folder's text also counts as installed.
    const QString exe = executablePath.toUpper();
    if (exe.contains(folder.toUpper()) || exe.contains(resolved.toUpper()))
        return StartMode::InstalledCopy;
    return StartMode::Plain;
}
