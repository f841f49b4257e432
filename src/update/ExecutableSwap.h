#pragma once

#include <QString>

#include "update/UpdateDescriptor.h"

// Puts a downloaded executable in the running one's place, or changes nothing.
// `downloaded` must lie in the same folder as `current` (a rename never crosses file
// systems). Steps: the download must be the release `expected` names (IsDescribedFile); it
// takes the permission bits of `current` and is flushed to disk; `current` is renamed to
// `old` (replacing it), then `downloaded` to `current`, and the folder is flushed. A
// failed rename undoes the ones before it. True only when the new file carries the
// running executable's name. The download is left where it is on failure.
bool SwapInExecutable(const QString &current, const QString &downloaded, const QString &old,
                      const UpdateDescriptor &expected);
