// Started by the launch tests: reports how it was started (argument count, scheduling
// policy, nice value) into the file named by FENLOW_LAUNCH_REPORT, then exits.
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
    std::fprintf(out, "%d %d %d\n", argc, sched_getscheduler(0), getpriority(PRIO_PROCESS, 0));
    return std::fclose(out) == 0 ? 0 : 1;
}
