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

// The user's cache folder ($XDG_CACHE_HOME).
QString Cache();

// The folder for temporary files.
QString Temp();

// Whether this process may create files in `folder`.
bool IsWritableFolder(const QString &folder);

// `name` below `base` as a folder of this user alone: made with mode 0700 when missing
// (`base` and its parents too), otherwise accepted only when it is a real folder (not a
// link, never followed) owned by this user, then closed to everyone else (the owner's own
// permissions stay as they are). Empty when refused or when it cannot be made.
QString OwnPrivateFolder(const QString &base, const QString &name);

// A new folder of this user alone (mode 0700) below `base`, named from `prefix` and six
// random characters; made atomically, so nothing can stand there before. Empty on failure.
QString NewPrivateFolder(const QString &base, const QString &prefix);

} // namespace PlatformFolders
