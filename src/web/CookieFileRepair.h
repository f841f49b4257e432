#pragma once

class QString;

// Mends the engine's cookie file in the profile folder `folder` before the engine opens
// it. An earlier cache clearing wrote each host-only cookie back with its host as a
// domain, which made a second cookie beside the server's own: sent with it, and left at
// its old value when the server later changed or deleted its own. Such a copy is a
// domain cookie for exactly one host that also holds a host-only cookie of the same name
// and path; the copies go, the server's cookies stay. That is done once for a store;
// a store this program makes needs none. Answers how many copies went, -1 when the file
// could not be read or changed (a missing file holds none, a repaired store none: 0).
int RemoveOldClearingCopies(const QString &folder);

// Brings the changes the cookie journal `journal` holds (what the last run's store
// reported last of each cookie) into the engine's cookie file in `folder`, before the
// engine opens it: a persistent cookie is written as it was reported, a removed, expired
// or session one leaves the file. Then the journal goes. Answers how many cookies were
// written or removed, -1 when the file could not be read or changed or is of a layout
// this program does not know: the journal then stays for the next start.
int ReplayCookieJournal(const QString &folder, const QString &journal);
