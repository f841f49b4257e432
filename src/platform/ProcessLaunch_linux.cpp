#include "platform/ProcessLaunch.h"

#include <cerrno>
#include <vector>
#include <sched.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QByteArray>
#include <QFile>

extern char **environ;

namespace ProcessLaunch {

namespace {

constexpr int kIdleNice = 19;

// Runs in the grandchild between fork and exec: only async-signal-safe calls.
[[noreturn]] void ExecIdle(const char *path, char *const argv[])
{
    sched_param param{};
    param.sched_priority = 0;
    sched_setscheduler(0, SCHED_IDLE, &param);
    setpriority(PRIO_PROCESS, 0, kIdleNice);
    close_range(STDERR_FILENO + 1, ~0U, 0);
    execve(path, argv, environ);
    _exit(127);
}

} // namespace

bool StartIdleDetached(const QString &path, const QStringList &arguments)
{
    const QByteArray native = QFile::encodeName(path);
    if (native.isEmpty())
        return false;
    // Everything the child needs is built before the fork: no allocation after it.
    std::vector<QByteArray> texts{native};
    for (const QString &argument : arguments)
        texts.push_back(argument.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &text : texts)
        argv.push_back(text.data());
    argv.push_back(nullptr);

    // Fork twice so the program is re-parented at once and never becomes our zombie;
    // the intermediate child exits immediately, so the wait below is momentary.
    const pid_t middle = fork();
    if (middle < 0)
        return false;
    if (middle == 0) {
        setsid();
        const pid_t child = fork();
        if (child == 0)
            ExecIdle(native.constData(), argv.data());
        _exit(child < 0 ? 1 : 0);
    }
    int status = 0;
    while (waitpid(middle, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace ProcessLaunch
