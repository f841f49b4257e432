#include "platform/ProcessLaunch.h"

#include <cerrno>
#include <csignal>
#include <sched.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>
#include <vector>

#include <QByteArray>
#include <QFile>

extern char **environ;

namespace ProcessLaunch {

namespace {

constexpr int kIdleNice = 19;

// Spawns `path` with `argv` in its own session with every signal at its default
// disposition, an empty signal mask and no descriptors beyond the standard three. Runs
// on a thread of its own: Linux keeps the scheduling policy and the nice value per thread
// and a child inherits its creator's, so the program starts at SCHED_IDLE and nice 19
// without touching the rest of this process.
pid_t SpawnIdle(const char *path, char *const argv[])
{
    sched_param param{};
    param.sched_priority = 0;
    sched_setscheduler(0, SCHED_IDLE, &param);
    setpriority(PRIO_PROCESS, pid_t(syscall(SYS_gettid)), kIdleNice);

    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t all;
    sigfillset(&all);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attr, &all);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSID);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);

    pid_t child = -1;
    if (posix_spawn(&child, path, &actions, &attr, argv, environ) != 0)
        child = -1;
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    return child;
}

} // namespace

bool StartIdleDetached(const QString &path, const QStringList &arguments)
{
    const QByteArray native = QFile::encodeName(path);
    if (native.isEmpty())
        return false;
    std::vector<QByteArray> texts{native};
    for (const QString &argument : arguments)
        texts.push_back(argument.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &text : texts)
        argv.push_back(text.data());
    argv.push_back(nullptr);

    pid_t child = -1;
    std::thread([&] { child = SpawnIdle(native.constData(), argv.data()); }).join();
    if (child < 0)
        return false;
    // The program is our child: a detached thread reaps it when it ends, so it never
    // stays a zombie, and it lives on unaffected when this process exits first.
    std::thread([child] {
        while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return true;
}

} // namespace ProcessLaunch
