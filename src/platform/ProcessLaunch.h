#pragma once

#include <QString>

namespace ProcessLaunch {

// Starts the program at `path` with no arguments, detached from this process, at the
// lowest scheduling priority (SCHED_IDLE, nice 19) and without inherited descriptors.
// Never waits for the program; answers whether the start was handed to the system.
// The child's exec failure is not seen here.
bool StartIdleDetached(const QString &path);

} // namespace ProcessLaunch
