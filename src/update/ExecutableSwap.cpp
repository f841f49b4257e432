#include "update/ExecutableSwap.h"

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>

#include "platform/ExitSignals.h"
#include "update/UpdateCheck.h"

namespace {

bool FlushToDisk(const QByteArray &path, int flags)
{
    const int fd = ::open(path.constData(), flags | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool flushed = ::fsync(fd) == 0;
    return ::close(fd) == 0 && flushed;
}

bool Rename(const QByteArray &from, const QByteArray &to)
{
    return std::rename(from.constData(), to.constData()) == 0;
}

// The previous executable gets the name `old` as a second link, so the running name
// never goes missing: the one rename that follows replaces it in a single step.
bool KeepAsOld(const QByteArray &current, const QByteArray &old)
{
    const QByteArray staged = old + ".link";
    ::unlink(staged.constData());
    if (::link(current.constData(), staged.constData()) != 0)
        return false;
    if (Rename(staged, old))
        return true;
    ::unlink(staged.constData());
    return false;
}

// Where the folder takes no second links: two renames, with the executable's name
// missing between them, so no second signal may end the process there.
bool SwapByRenames(const QByteArray &current, const QByteArray &downloaded, const QByteArray &old)
{
    const ExitSignals::HoldImmediateEnd hold;
    if (!Rename(current, old))
        return false;
    if (!Rename(downloaded, current)) {
        Rename(old, current);
        return false;
    }
    return true;
}

} // namespace

bool SwapInExecutable(const QString &current, const QString &downloaded, const QString &old,
                      const UpdateDescriptor &expected)
{
    const QByteArray currentPath = QFile::encodeName(current);
    const QByteArray newPath = QFile::encodeName(downloaded);
    const QByteArray oldPath = QFile::encodeName(old);
    const QString folder = QFileInfo(current).absolutePath();
    if (QFileInfo(downloaded).absolutePath() != folder || QFileInfo(old).absolutePath() != folder)
        return false;

    if (!IsDescribedFile(downloaded, expected))
        return false;
    struct stat running {};
    if (::stat(currentPath.constData(), &running) != 0
        || ::chmod(newPath.constData(), running.st_mode & 07777) != 0
        || !FlushToDisk(newPath, O_RDONLY))
        return false;

    if (!(KeepAsOld(currentPath, oldPath) ? Rename(newPath, currentPath) : SwapByRenames(currentPath, newPath, oldPath)))
        return false;
    FlushToDisk(QFile::encodeName(folder), O_RDONLY | O_DIRECTORY);
    return true;
}
