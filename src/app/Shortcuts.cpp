#include "app/Shortcuts.h"

#include <QFile>

#include "platform/PlatformFolders.h"

namespace {

const char *const kPortalShortcut = "岚汐翼川记官网";
const char *const kLauncherShortcut = "岚汐翼川记极速登录器";
const char *const kUninstallShortcut = "卸载 岚汐翼川记极速登录器";

QString ShortcutIn(const QString &folder, const char *name)
{
    return folder + QLatin1Char('/') + QString::fromUtf8(name) + QStringLiteral(".desktop");
}

} // namespace

QString StartMenuFolder(const QString &programs)
{
    if (programs.isEmpty())
        return {};
    return programs + QLatin1Char('/') + QString::fromUtf8(kStartMenuFolderName);
}

QStringList ShortcutPaths(const QString &desktop, const QString &programs)
{
    QStringList paths;
    if (!desktop.isEmpty())
        paths << ShortcutIn(desktop, kPortalShortcut) << ShortcutIn(desktop, kLauncherShortcut);
    const QString menu = StartMenuFolder(programs);
    if (!menu.isEmpty())
        paths << ShortcutIn(menu, kLauncherShortcut) << ShortcutIn(menu, kUninstallShortcut);
    return paths;
}

void RemoveShortcuts()
{
    for (const QString &path : ShortcutPaths(PlatformFolders::Desktop(), PlatformFolders::Programs()))
        QFile::remove(path);
}
