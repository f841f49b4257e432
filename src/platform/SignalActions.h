#pragma once

#include <csignal>
#include <cstddef>

// Installs `action` for each of `signals`, with all of them blocked while one is
// handled. Answers whether every one was installed; a refused one does not stop the others.
template <std::size_t N>
bool InstallForEachSignal(struct sigaction action, const int (&signals)[N])
{
    sigemptyset(&action.sa_mask);
    for (int signal : signals)
        sigaddset(&action.sa_mask, signal);
    bool installed = true;
    for (int signal : signals)
        installed = sigaction(signal, &action, nullptr) == 0 && installed;
    return installed;
}
