// Started by the crash report tests: installs the crash filter, then dies the way its
// first argument names ("null", "abort", "overflow"). The faulting functions keep their
// names (no inlining) so the report's backtrace can be checked for them.
#include <cstdlib>
#include <cstring>

#include "app/CrashFilter.h"

namespace {

// Read at run time, so the compiler cannot see the null pointer and drop the write.
int *volatile g_nowhere = nullptr;

__attribute__((noinline)) void WriteThroughNull()
{
    *g_nowhere = 1;
}

// Recurses without end; the frame's bytes are used after the call, so the recursion
// cannot become a loop.
int (*volatile g_recurse)(int) = nullptr;

__attribute__((noinline)) int OverflowTheStack(int depth)
{
    volatile char frame[4096];
    frame[0] = static_cast<char>(depth);
    return g_recurse(depth + 1) + frame[0];
}

__attribute__((noinline)) void AbortOnPurpose()
{
    std::abort();
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2 || !InstallCrashFilter())
        return 2;
    if (std::strcmp(argv[1], "null") == 0)
        WriteThroughNull();
    else if (std::strcmp(argv[1], "abort") == 0)
        AbortOnPurpose();
    else if (std::strcmp(argv[1], "overflow") == 0) {
        g_recurse = OverflowTheStack;
        return OverflowTheStack(0);
    }
    return 3;
}
