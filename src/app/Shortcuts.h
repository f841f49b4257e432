#pragma once

#include <QString>
#include <QStringList>

// The menu entries and desktop icons that belong to the launcher: ".desktop" files named
// as the shortcuts, made by the package or the installer, removed at uninstall.

inline constexpr char kStartMenuFolderName[] = "岚汐登录器";

// The start-menu folder inside `programs`; empty when `programs` is.
QString StartMenuFolder(const QString &programs);

// The four shortcut files, in removal order: the portal and the launcher on the desktop,
// then the launcher and its uninstall entry in the start-menu folder. A shortcut whose
// folder is unknown (empty) is left out.
QStringList ShortcutPaths(const QString &desktop, const QString &programs);

// Deletes the user's four shortcuts; each deletion stands on its own and a missing one
// is skipped silently.
void RemoveShortcuts();
