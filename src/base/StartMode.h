#pragma once

#include <QString>
#include <QStringList>

// How this start of the program behaves, decided once from the command line and from
// where the executable lies.
enum class StartMode {
    Plain = 0,         // normal run, asks before handing over to a running instance
    WebSwitch = 1,     // "/webycjD": ends at once, no window
    DirectSwitch = 2,  // "/ycjD": daily update check, then a normal run
    InstalledCopy = 3, // runs from the install folder: daily update check, hands over without asking
    Uninstall = 4,     // "/uninst": removes the program instead of opening any window
};

// The launchers' install folder below the given machine-wide data folder; empty when
// that folder is unknown.
QString InstallFolderBelow(const QString &commonAppData);

// The launchers' install folder on this machine.
QString InstallFolder();

// `arguments` are the process arguments including the program name. Only the first
// argument after the program name is looked at; an empty executable path or data
// folder yields Plain.
StartMode ClassifyStartMode(const QStringList &arguments, const QString &executablePath,
                            const QString &commonAppData);
