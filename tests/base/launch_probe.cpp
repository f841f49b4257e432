// Started by the launch tests: reports how it was started (argument count, scheduling
// policy, nice value, whether SIGPIPE has its default action, whether no signal is
// blocked) into the file named by FENLOW_LAUNCH_REPORT, then exits.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sched.h>
#include <sys/resource.h>

int main(int argc, char **)
{
    const char *path = std::getenv("FENLOW_LAUNCH_REPORT");
    if (!path)
        return 1;
    FILE *out = std::fopen(path, "w");
    if (!out)
        return 1;
    struct sigaction pipe = {};
    sigaction(SIGPIPE, nullptr, &pipe);
    sigset_t blocked;
    sigprocmask(SIG_BLOCK, nullptr, &blocked);
    sigset_t none;
    sigemptyset(&none);
    bool maskEmpty = true;
    for (int sig = 1; sig < NSIG; ++sig)
        maskEmpty = maskEmpty && sigismember(&blocked, sig) == sigismember(&none, sig);
    std::fprintf(out, "%d %d %d %d %d\n", argc, sched_getscheduler(0), getpriority(PRIO_PROCESS, 0),
                 pipe.sa_handler == SIG_DFL ? 1 : 0, maskEmpty ? 1 : 0);
    return std::fclose(out) == 0 ? 0 : 1;
}
