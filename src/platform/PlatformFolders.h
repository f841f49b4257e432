#pragma once

#include <QString>

// Where the system keeps its files on this platform. Each answer is empty when the
// folder cannot be determined.
namespace PlatformFolders {

// Full path of the running executable.
QString ExecutablePath();

// Machine-wide application data (the launchers' install folder lives below it).
QString CommonAppData();

// The user's desktop folder (XDG desktop directory).
QString Desktop();

// The folder that holds the programs menu entries ($XDG_DATA_HOME/applications).
QString Programs();

// The user's configuration folder ($XDG_CONFIG_HOME).
QString Config();

// The folder for temporary files.
QString Temp();

} // namespace PlatformFolders
