#include "platform/ExitSignals.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

#include "platform/SignalActions.h"

namespace ExitSignals {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

int g_pipe[2] = {-1, -1};
std::atomic<int> g_received{0};
std::atomic<int> g_holds{0};
std::atomic<int> g_heldEnd{0};
static_assert(std::atomic<int>::is_always_lock_free, "the handler needs lock-free atomics");

// Dies of `signal` itself, as if no handler had been installed.
void EndNow(int signal)
{
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    sigemptyset(&standard.sa_mask);
    sigaction(signal, &standard, nullptr);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
    raise(signal);
    _exit(128 + signal);
}

void Handle(int signal)
{
    const int savedErrno = errno;
    int none = 0;
    if (g_received.compare_exchange_strong(none, signal)) {
        const unsigned char byte = static_cast<unsigned char>(signal);
        [[maybe_unused]] const ssize_t written = write(g_pipe[1], &byte, 1);
    } else if (g_holds.load() > 0) {
        g_heldEnd.store(signal);
    } else {
        EndNow(signal);
    }
    errno = savedErrno;
}

} // namespace

bool Install()
{
    if (g_pipe[0] >= 0)
        return true;
    if (pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    struct sigaction action {};
    action.sa_handler = Handle;
    action.sa_flags = SA_RESTART;
    return InstallForEachSignal(action, kSignals);
}

int ReadFd()
{
    return g_pipe[0];
}

int Received()
{
    return g_received.load();
}

HoldImmediateEnd::HoldImmediateEnd()
{
    ++g_holds;
}

HoldImmediateEnd::~HoldImmediateEnd()
{
    if (--g_holds == 0 && g_heldEnd.load() != 0)
        EndNow(g_heldEnd.load());
}

} // namespace ExitSignals
