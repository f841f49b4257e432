// Started by the uninstall tests from a copy in a temporary folder: writes and starts the
// self-delete script for itself, says so on stdout, then runs until its stdin closes.
#include <cstdio>
#include <unistd.h>

#include "app/Uninstall.h"

int main()
{
    WriteSelfDeleteScript();
    std::puts("written");
    std::fflush(stdout);
    char buffer[64];
    while (read(STDIN_FILENO, buffer, sizeof buffer) > 0) {
    }
    return 0;
}
