#pragma once

#include <QString>

// Where the system keeps its files on this platform. Each answer is empty when the
// folder cannot be determined.
namespace PlatformFolders {

// Full path of the running executable.
QString ExecutablePath();

// Machine-wide application data (the launchers' install folder lives below it).
QString CommonAppData();

} // namespace PlatformFolders
