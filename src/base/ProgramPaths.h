#pragma once

#include <QString>

// Full path of `fileName` in the folder of `executablePath`; empty when that path has
// no folder part.
QString ExeDirPathOf(const QString &executablePath, const QString &fileName);

// Full path of `fileName` beside the running executable; empty (and *ok false) when the
// executable's path cannot be read.
QString ExeDirPath(const QString &fileName, bool *ok = nullptr);

// Starts `path` (or, when empty, this program anew) with no arguments at idle priority.
// Never waits and never reports: a program that cannot start is ignored.
void LaunchProgram(const QString &path = {});
