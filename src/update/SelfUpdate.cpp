#include "update/SelfUpdate.h"

#include <QFile>

#include "base/PlatformHosts.h"
#include "base/ProgramPaths.h"
#include "base/ProgramTitle.h"
#include "platform/PlatformFolders.h"
#include "platform/ProcessLaunch.h"
#include "skin/CMessageBox.h"
#include "update/CPrgsDlg.h"
#include "update/ExecutableSwap.h"
#include "update/PendingDeletions.h"

namespace {

const char *const kUpToDate = "已经是最新版本，无需进行更新";
const char *const kUpdateFailed = "更新版本失败，请稍后重试";
const char *const kUpdatedByPackage =
    "登录器由软件包 fenlow 安装，更新请用系统的软件包管理器（如“sudo apt upgrade”）";

// The start the update launches keeps the previous executable; the one after deletes it.
constexpr int kOldExecutableStarts = 1;

void Discard(const QString &path)
{
    if (QFile::exists(path) && !QFile::remove(path))
        PendingDeletions::Schedule(path);
}

} // namespace

UpdatePlaces CurrentUpdatePlaces(const PlatformHosts &hosts)
{
    // The running file's name is taken before any swap: afterwards the process's own
    // path names the previous executable.
    return {PlatformFolders::ExecutablePath(), ExeDirPath(QLatin1String(kNewExecutableName)),
            ExeDirPath(QLatin1String(kOldExecutableName)), hosts.resource};
}

bool ApplyUpdateAt(const UpdatePlaces &places, const UpdateDescriptor &offer,
                   const std::function<void()> &beforeLaunch, QWidget *parent)
{
    if (places.current.isEmpty() || places.downloaded.isEmpty() || places.old.isEmpty())
        return false;
    bool downloaded = false;
    {
        // The dialog ends its transfer when it goes, before what arrived is discarded.
        CPrgsDlg dialog(parent);
        dialog.SetDownload(offer.address, places.downloaded, places.resourceOrigin);
        downloaded = dialog.DoModal() == IDOK;
    }
    if (!downloaded || !SwapInExecutable(places.current, places.downloaded, places.old, offer)) {
        Discard(places.downloaded);
        return false;
    }
    PendingDeletions::Schedule(places.old, kOldExecutableStarts);
    if (beforeLaunch)
        beforeLaunch();
    return ProcessLaunch::StartIdleDetached(places.current);
}

bool ApplyUpdate(const PlatformHosts &hosts, const UpdateDescriptor &offer, const std::function<void()> &beforeLaunch,
                 QWidget *parent)
{
    return ApplyUpdateAt(CurrentUpdatePlaces(hosts), offer, beforeLaunch, parent);
}

UpdateOutcome RunForcedUpdateOf(const UpdateSubject &subject, const UpdatePlaces &places, QWidget *parent,
                                const std::function<void()> &beforeLaunch)
{
    const QString title = QString::fromUtf8(kProgramTitle);
    if (subject.packaged) {
        ShowSkinnedMessage(MB_OK, title, QString::fromUtf8(kUpdatedByPackage));
        return UpdateOutcome::Packaged;
    }
    UpdateDescriptor offer;
    bool reached = false;
    if (!CheckForUpdateOf(subject, true, &offer, &reached)) {
        ShowSkinnedMessage(MB_OK, title, QString::fromUtf8(reached ? kUpToDate : kUpdateFailed));
        return reached ? UpdateOutcome::UpToDate : UpdateOutcome::Failed;
    }
    if (!ApplyUpdateAt(places, offer, beforeLaunch, parent)) {
        ShowSkinnedMessage(MB_OK, title, QString::fromUtf8(kUpdateFailed));
        return UpdateOutcome::Failed;
    }
    RecordUpdateTime(subject.timeFile, QDateTime::currentDateTimeUtc());
    return UpdateOutcome::Applied;
}

UpdateOutcome RunForcedUpdate(const PlatformHosts &hosts, QWidget *parent, const std::function<void()> &beforeLaunch)
{
    return RunForcedUpdateOf(CurrentUpdateSubject(hosts), CurrentUpdatePlaces(hosts), parent, beforeLaunch);
}
