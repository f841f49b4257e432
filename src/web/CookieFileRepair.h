#pragma once

class QString;

// Mends the engine's cookie file in the profile folder `folder` before the engine opens
// it. An earlier cache clearing wrote each host-only cookie back with its host as a
// domain, which made a second cookie beside the server's own: sent with it, and left at
// its old value when the server later changed or deleted its own. Such a copy is a
// domain cookie for exactly one host that also holds a host-only cookie of the same name
// and path; the copies go, the server's cookies stay. Answers how many copies went, -1
// when the file could not be read or changed (a missing file holds none: 0).
int RemoveOldClearingCopies(const QString &folder);
