#pragma once

#include <QString>

namespace ProcessLaunch {

// Starts the program at `path` with no arguments, detached from this process, at the
// lowest scheduling priority (SCHED_IDLE, nice 19), with default signal handling, an
// empty signal mask and without inherited descriptors. Never waits for the program;
// answers whether it started (false when it cannot be executed).
bool StartIdleDetached(const QString &path);

} // namespace ProcessLaunch
