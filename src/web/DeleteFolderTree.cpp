#include "web/DeleteFolderTree.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

constexpr int kOpenFolder = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// Gives the owner write permission (and, for a folder, the right to list it), keeping
// every other permission bit.
void MakeWritable(int parent, const char *name, const struct stat &info)
{
    const mode_t needed = S_ISDIR(info.st_mode) ? S_IRWXU : S_IWUSR;
    if ((info.st_mode & needed) != needed)
        fchmodat(parent, name, (info.st_mode & 07777) | needed, 0);
}

// Deletes everything inside the open folder `folder` (which it closes). Answers 0 when
// every file went, else the last failed deletion's error.
int EmptyFolder(int folder)
{
    DIR *listing = fdopendir(folder);
    if (!listing) {
        const int error = errno;
        close(folder);
        return error;
    }
    int recorded = 0;
    while (const dirent *entry = readdir(listing)) {
        const char *name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
            continue;
        struct stat info {};
        if (fstatat(dirfd(listing), name, &info, AT_SYMLINK_NOFOLLOW) != 0)
            continue; // gone meanwhile
        if (S_ISDIR(info.st_mode)) {
            // A subfolder's own result does not count: whatever stays in it keeps this
            // folder from being removed.
            MakeWritable(dirfd(listing), name, info);
            const int sub = openat(dirfd(listing), name, kOpenFolder);
            if (sub >= 0)
                EmptyFolder(sub);
            unlinkat(dirfd(listing), name, AT_REMOVEDIR);
            continue;
        }
        if (S_ISREG(info.st_mode))
            MakeWritable(dirfd(listing), name, info);
        if (unlinkat(dirfd(listing), name, 0) != 0 && errno != ENOENT)
            recorded = errno;
    }
    closedir(listing);
    return recorded;
}

} // namespace

bool DeleteFolderTree(const QString &path)
{
    const QByteArray native = path.toLocal8Bit();
    const int folder = open(native.constData(), kOpenFolder);
    int recorded = folder >= 0 ? EmptyFolder(folder) : 0;
    if (rmdir(native.constData()) != 0 && recorded == 0)
        recorded = errno;
    if (recorded != 0) {
        errno = recorded;
        return false;
    }
    return true;
}
