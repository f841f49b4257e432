#pragma once

#include <QByteArray>
#include <QString>

#include "base/ProgramPaths.h"

// The removal steps of the uninstall start, each best effort and silent.

// Number of files under `folder`, subfolders counted through (a link counts as a file
// and is not followed); 1 when the folder cannot be listed.
int CountFilesInTree(const QString &folder);

// Appends the bytes of `text` to the file at `path` (created when missing); answers the
// number written, or -1.
qint64 AppendTextToFile(const QString &path, const QByteArray &text);

// Removes the update time store with all it holds (a link is removed, never followed).
void RemoveUpdateTimeStore();

// Removes the shortcuts and then the start-menu folder when no file is left under it.
// Answers true.
bool RemoveShortcutsAndStartMenu();

// Writes the self-delete script under a fresh "DelSelf*.sh" name in the temporary folder
// and starts it detached at idle priority. The script waits until no process runs this
// executable, deletes it (and, when it was alone in its folder, the folder's files and
// the folder), then itself.
void WriteSelfDeleteScript();
