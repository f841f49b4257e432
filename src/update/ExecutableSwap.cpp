#include "update/ExecutableSwap.h"

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>

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

    if (!Rename(currentPath, oldPath))
        return false;
    if (!Rename(newPath, currentPath)) {
        Rename(oldPath, currentPath);
        return false;
    }
    FlushToDisk(QFile::encodeName(folder), O_RDONLY | O_DIRECTORY);
    return true;
}
