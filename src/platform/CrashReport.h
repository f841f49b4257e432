#pragma once

// Writes a crash report when the process dies of a fatal signal (SIGSEGV, SIGBUS,
// SIGILL, SIGFPE, SIGABRT): signal, code, fault address, registers, a backtrace and the
// memory map, written with async-signal-safe calls only on an alternate signal stack, so
// a stack overflow still gets its report. The process then dies of the same signal; a
// second fault while the report is written ends it at once without a second report.
namespace CrashReport {

// Installs the handlers. `reportPath` is the file written first; when it cannot be
// created, the report goes to the file of the same name in `fallbackFolder`, which is
// created then (its parent too). Both texts are copied; a later call replaces them.
// Answers false when a path is too long or a handler could not be installed.
bool Install(const char *reportPath, const char *fallbackFolder);

} // namespace CrashReport
