#pragma once

#include <QString>
#include <QStringList>

namespace ProcessLaunch {

// Starts the program at `path` with `arguments` (none by default), detached from this
// process in a session of its own (no terminal), at the lowest scheduling priority
// (SCHED_IDLE, nice 19), with default signal handling, an empty signal mask and without
// inherited descriptors. Never waits for the program; answers whether it started (false
// when it cannot be executed).
bool StartIdleDetached(const QString &path, const QStringList &arguments = {});

} // namespace ProcessLaunch
