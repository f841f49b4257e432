#pragma once

#include <QString>

// Crash reports. InstallCrashFilter is the first step of start-up: from then on a fatal
// signal leaves one report file (see platform/CrashReport.h) and the process still dies
// of that signal.

// The report's path for the executable at `executablePath`: in the same folder, the file
// name with its extension (from its last ".") replaced by ".dmp", or ".dmp" appended when
// the name has none ("fenlow" -> "fenlow.dmp", "x.exe" -> "x.dmp"). A dot that starts the
// name opens no extension. Empty for an empty path.
QString CrashReportPath(const QString &executablePath);

// Where the report goes when the executable's folder cannot take it:
// $XDG_STATE_HOME/岚汐 (by default ~/.local/state/岚汐).
QString CrashReportFallbackFolder();

// Installs the crash filter for the running executable; answers whether it is in place.
bool InstallCrashFilter();
