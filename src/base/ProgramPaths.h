#pragma once

#include <QString>

// Full path of `fileName` in the folder of `executablePath`; empty when that path has
// no folder part.
QString ExeDirPathOf(const QString &executablePath, const QString &fileName);

// Full path of `fileName` beside the running executable; empty (and *ok false) when the
// executable's path cannot be read.
QString ExeDirPath(const QString &fileName, bool *ok = nullptr);

// The files the program keeps beside its executable, by what they hold.
enum class ProgramFileKind {
    Setting,   // the player's settings ("Statistic.ini")
    Transient, // fetched files read and deleted at once (update and game descriptors)
};

// What decides where the program's files go.
struct ProgramFileRoots {
    QString executable;     // the running executable's path
    bool besideExecutable;  // its folder may hold the files (see KeepsFilesBesideExecutable)
    QString configHome;     // $XDG_CONFIG_HOME
    QString cacheHome;      // $XDG_CACHE_HOME
};

// The per-user folder's name below the XDG folders.
inline constexpr char kUserFolderName[] = "fenlow";

// The folder that holds files of `kind`: the executable's own folder where it may hold
// them; otherwise this user's private folder "fenlow" below configHome (settings) or
// cacheHome (transient files), made when missing and refused (empty) when it is a link,
// not a folder, or someone else's.
QString ProgramFileFolderIn(const ProgramFileRoots &roots, ProgramFileKind kind);

// Whether the executable's folder holds the program's files: it is writable and the
// executable is not the package's (the package manager owns that folder).
bool KeepsFilesBesideExecutable();

// This process's answer: the folder for `kind`, and `fileName` in it (empty when there
// is no usable folder). Every file kept beside the executable is placed through these.
QString ProgramFileFolder(ProgramFileKind kind);
QString ProgramFilePath(const QString &fileName, ProgramFileKind kind);

// Whether the Debian package's file list `packageList` names `path`: such an executable
// belongs to the package manager and is left to it.
bool IsOwnedByPackage(const QString &path, const QString &packageList);

// The file list of the launcher's own package.
QString OwnPackageFileList();

// Whether the running executable was installed by the launcher's Debian package.
bool IsPackagedCopy();

// Starts `path` (or, when empty, this program anew) with no arguments at idle priority.
// Never waits and never reports: a program that cannot start is ignored.
void LaunchProgram(const QString &path = {});
