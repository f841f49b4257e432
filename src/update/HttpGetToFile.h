#pragma once

#include <functional>

#include <QString>

class HttpTransfer;

// Limits of every transfer: nothing may hang the program or fill the disk.
inline constexpr long kConnectTimeoutMs = 3000;
inline constexpr long kStallBytesPerSecond = 100; // slower than this for kStallSeconds aborts
inline constexpr long kStallSeconds = 3;
inline constexpr qint64 kMaxDescriptorBytes = 64 * 1024;
inline constexpr qint64 kMaxProgramBytes = qint64(1) << 30; // an executable or an installer

struct HttpGetOptions {
    // The address must name this origin's host and port exactly; empty accepts any host.
    QString requiredOrigin;
    // Most bytes accepted, counted as they arrive; a larger announced length fails at once.
    qint64 maxBytes = kMaxProgramBytes;
    // Whole seconds the transfer may take at most; 0 for no limit beyond the stall abort.
    long timeLimitSeconds = 0;
    // Receives the percent (0 to 100) whenever it changes.
    std::function<void(int percent)> progress;
    // The target is created only where nothing stands yet (no file, no link, never
    // followed), readable and writable by this user alone.
    bool exclusive = false;
    // Lets another thread cancel the transfer.
    HttpTransfer *transfer = nullptr;
};

// Fetches `address` (http or https) with a plain GET into `targetFile`. The target is
// created only once the answer passed its tests: any status but 404, a Content-Length
// within maxBytes. True when at least the announced number of bytes arrived. Redirects
// are followed only on the same host and port. A transfer that fails after the file was
// created leaves what arrived in place; the caller decides what to do with it.
bool HttpGetToFile(const QString &address, const QString &targetFile, const HttpGetOptions &options = {});
