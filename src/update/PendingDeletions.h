#pragma once

#include <QString>

// Files to delete at a later start of the program: what an update leaves behind (the
// previous executable, a download that could not be removed at once) and a started
// installer with its folder (a folder goes once it is empty). Each entry may first sit
// out a number of starts, so that the start an update itself launches keeps the
// previous executable. One line per file:
// "<starts to sit out>\t<full path>".
namespace PendingDeletions {

// The list file in the update time store's folder.
QString ListFile();

// Adds `path` (replacing an entry for the same path); false when the list cannot be written.
bool Schedule(const QString &listFile, const QString &path, int startsToSitOut);
bool Schedule(const QString &path, int startsToSitOut = 0);

// One start's work: deletes the due files, counts the others down and keeps the
// entries whose file could not be deleted.
void WorkOff(const QString &listFile);
void WorkOff();

} // namespace PendingDeletions
