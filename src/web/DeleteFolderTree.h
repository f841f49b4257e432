#pragma once

#include <QString>

// Deletes the folder `path` with all its files and subfolders. Symbolic links are
// deleted as links and never followed, so nothing outside the folder is touched, also
// when `path` itself is a link (which then stays, and the answer is false). A file without write permission is made writable before
// it is deleted; entries that are already gone count as deleted. Answers true when every
// file went and the folder itself was removed; otherwise false, with errno set to the
// last failed file deletion's error, or else to the folder removal's error.
bool DeleteFolderTree(const QString &path);
