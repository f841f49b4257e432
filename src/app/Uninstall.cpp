#include "app/Uninstall.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include "app/SelfDeleteScript.h"
#include "app/Shortcuts.h"
#include "platform/PlatformFolders.h"
#include "platform/ProcessLaunch.h"
#include "update/UpdateCheck.h"

namespace {

// The script's template name; the X's become a unique part.
const char *const kScriptTemplate = "DelSelfXXXXXX.sh";

// With fewer files than this in its folder the executable is alone there.
constexpr int kAloneCount = 2;

} // namespace

int CountFilesInTree(const QString &folder)
{
    const QFileInfo info(folder);
    if (!info.isDir() || !info.isReadable())
        return 1;
    int count = 0;
    const QDir dir(folder);
    const auto entries = dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries)
        count += entry.isDir() && !entry.isSymLink() ? CountFilesInTree(entry.filePath()) : 1;
    return count;
}

qint64 AppendTextToFile(const QString &path, const QByteArray &text)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return -1;
    const qint64 written = file.write(text);
    return file.flush() ? written : -1;
}

void RemoveUpdateTimeStore()
{
    const QString folder = UpdateTimeStoreFolder();
    if (folder.isEmpty())
        return;
    const QFileInfo info(folder);
    if (info.isSymLink() || !info.isDir())
        QFile::remove(folder);
    else
        QDir(folder).removeRecursively();
}

bool RemoveShortcutsAndStartMenu()
{
    RemoveShortcuts();
    const QString menu = StartMenuFolder(PlatformFolders::Programs());
    // rmdir fails harmlessly where empty subfolders remain.
    if (!menu.isEmpty() && CountFilesInTree(menu) == 0)
        QDir().rmdir(menu);
    return true;
}

void WriteSelfDeleteScript()
{
    const QString executable = PlatformFolders::ExecutablePath();
    if (executable.isEmpty())
        return;
    const qsizetype slash = executable.lastIndexOf(QLatin1Char('/'));
    const QString folder = slash < 0 ? executable : executable.left(slash);
    const bool alone = CountFilesInTree(folder) < kAloneCount;

    QTemporaryFile file(PlatformFolders::Temp() + QLatin1Char('/') + QLatin1String(kScriptTemplate));
    file.setAutoRemove(false);
    if (!file.open())
        return;
    const QString script = file.fileName();
    file.close();
    const QByteArray text = SelfDeleteScriptText(QFile::encodeName(executable), QFile::encodeName(folder),
                                                 QFile::encodeName(script), alone);
    // The shell reads the script as its argument: no executable file is needed.
    if (AppendTextToFile(script, text) != text.size()
        || !ProcessLaunch::StartIdleDetached(QStringLiteral("/bin/sh"), {script}))
        QFile::remove(script);
}
