#pragma once

#include <functional>

#include "update/UpdateCheck.h"
#include "update/UpdateDescriptor.h"

class QWidget;

// File names beside the executable during an update.
inline constexpr char kNewExecutableName[] = "Newycj.exe";
inline constexpr char kOldExecutableName[] = "Oldycj.exe";

// The files of an update: the running executable, the download and the previous
// executable beside it, and the origin the download must come from.
struct UpdatePlaces {
    QString current;
    QString downloaded;
    QString old;
    QString resourceOrigin;
};

// This process's executable, "Newycj.exe" and "Oldycj.exe" beside it, the resource
// host of `hosts`.
UpdatePlaces CurrentUpdatePlaces(const PlatformHosts &hosts);

// Downloads the release `offer` names (on the resource host only) beside the running
// executable with the progress dialog, swaps it in (SwapInExecutable), calls
// `beforeLaunch` (where the caller releases what the new process must not find taken,
// such as its instance endpoint) and starts the new file under the running name with no
// arguments. True when it runs; on false the running executable is unchanged and no new
// file remains. The previous executable is deleted at a later start.
bool ApplyUpdateAt(const UpdatePlaces &places, const UpdateDescriptor &offer,
                   const std::function<void()> &beforeLaunch, QWidget *parent);
bool ApplyUpdate(const PlatformHosts &hosts, const UpdateDescriptor &offer,
                 const std::function<void()> &beforeLaunch = {}, QWidget *parent = nullptr);

enum class UpdateOutcome {
    UpToDate, // "已经是最新版本，无需进行更新" was shown
    Failed,   // "更新版本失败，请稍后重试" was shown
    Applied,  // the new build runs; the caller ends this program
    Packaged, // a packaged copy: the message that the package manager updates it was shown
};

// The menus' update item: a forced check, then ApplyUpdate, the message that fits (a
// skinned message titled "岚汐翼川记") and, when applied, RecordUpdateTime; the caller
// then ends the program. A packaged copy checks nothing and says that updates come
// with the system's package manager. `beforeLaunch` releases the instance endpoint. A descriptor
// that cannot be fetched counts as a failure. The Of form takes its files explicitly.
UpdateOutcome RunForcedUpdate(const PlatformHosts &hosts, QWidget *parent, const std::function<void()> &beforeLaunch);
UpdateOutcome RunForcedUpdateOf(const UpdateSubject &subject, const UpdatePlaces &places, QWidget *parent,
                                const std::function<void()> &beforeLaunch);
