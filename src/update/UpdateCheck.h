#pragma once

#include <QDateTime>
#include <QString>

#include "base/StartMode.h"
#include "update/UpdateDescriptor.h"

struct PlatformHosts;

// Where the platform publishes this launcher's descriptor, below `resourceOrigin`.
QString UpdateDescriptorAddress(const QString &resourceOrigin);

// MD5 of the file at `path` as 32 lower-case hexadecimal digits; empty when it cannot be read.
QString FileMd5(const QString &path);

// True when the two versions differ, letter case aside.
bool IsDifferentVersion(const QString &remote, const QString &local);

// True when the file at `path` is the release `descriptor` names: its MD5 is the
// version and, when the descriptor gives one, its SHA-256 is that (letter case aside).
bool IsDescribedFile(const QString &path, const UpdateDescriptor &descriptor);

// Fetches the descriptor at `address` into `savePath`, reads it (signed by `key` when
// there is one) and deletes the file (also what a failed transfer left). The version is
// empty on any failure.
UpdateDescriptor FetchUpdateDescriptor(const QString &address, const QString &savePath, const DescriptorKey &key);

// What an update check needs to know about this program.
struct UpdateSubject {
    StartMode mode = StartMode::Plain;
    QString descriptorAddress;
    QString descriptorFile; // where the descriptor is saved while it is read
    QString executable;     // the running executable
    QString timeFile;       // the store of the last update time
    DescriptorKey key{};    // the platform's key, when descriptors must be signed
    bool packaged = false;  // the package manager owns the executable and updates it
};

// This process: its start mode, the resource host and key of `hosts`, the files beside it.
UpdateSubject CurrentUpdateSubject(const PlatformHosts &hosts);

// True when the descriptor names another version than the running executable; then
// `offer` holds it. Without `force` only the "/ycjD" start and the installed copy check,
// only while an update is due, and never a packaged copy. `reached` tells whether a descriptor was read.
bool CheckForUpdateOf(const UpdateSubject &subject, bool force, UpdateDescriptor *offer, bool *reached = nullptr);
bool CheckForUpdate(const PlatformHosts &hosts, bool force, UpdateDescriptor *offer, bool *reached = nullptr);

// The folder of the update time store (and of the pending deletions):
// $XDG_CONFIG_HOME/岚汐/ViziDuved/ycj.
QString UpdateTimeStoreFolder();

// The store of the last applied update's time: 16 bytes, eight little-endian 16-bit
// fields (year, month, day of week, day, hour, minute, second, milliseconds) in UTC.
QString UpdateTimeFile();
QByteArray EncodeUpdateTime(const QDateTime &utc);

// True unless the stored time falls on the UTC date of `utcNow`. False when the store's
// folder cannot be made: then no automatic check happens.
bool IsUpdateDue(const QString &timeFile, const QDateTime &utcNow);
bool IsUpdateDue();

// Stores `utcNow`; false when the store cannot be written.
bool RecordUpdateTime(const QString &timeFile, const QDateTime &utcNow);
bool RecordUpdateTime();
