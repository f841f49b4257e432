#pragma once

// Turns SIGTERM, SIGINT and SIGHUP (logout, shutdown, Ctrl+C, a closed terminal) into an
// orderly end: the first one is written to a pipe the event loop reads; a second one
// ends the process at once, except inside a HoldImmediateEnd section, which it waits
// for. The handler makes async-signal-safe calls only.
namespace ExitSignals {

// Installs the handlers and makes the pipe; later calls do nothing. False when either
// failed.
bool Install();
// The pipe's read end: readable once a signal came. -1 before Install.
int ReadFd();
// The first signal received, 0 while none came.
int Received();

// While one lives, a second signal does not end the process; the end comes when the
// last one goes. For steps that must never be cut in half, such as moving executables.
class HoldImmediateEnd
{
public:
    HoldImmediateEnd();
    ~HoldImmediateEnd();
    HoldImmediateEnd(const HoldImmediateEnd &) = delete;
    HoldImmediateEnd &operator=(const HoldImmediateEnd &) = delete;
};

} // namespace ExitSignals
