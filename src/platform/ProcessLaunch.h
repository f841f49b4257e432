#pragma once

#include <QString>
#include <QStringList>

namespace ProcessLaunch {

// Starts the program at `path` with `arguments` (none by default), detached from this
// process in a session of its own (no terminal), at the lowest scheduling priority
// (SCHED_IDLE, nice 19) and without inherited descriptors. Never waits for the program;
// answers whether the start was handed to the system. The child's exec failure is not
// seen here.
bool StartIdleDetached(const QString &path, const QStringList &arguments = {});

} // namespace ProcessLaunch
