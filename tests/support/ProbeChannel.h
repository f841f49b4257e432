#pragma once

#include <functional>

#include <QByteArray>
#include <QString>

class QObject;
class QProcess;

// The line protocol between a test and a probe process it drives: commands go to the
// probe's stdin one per line, answers come back on its stdout one per line.
namespace ProbeChannel {

// Probe side: prints `line` and flushes it at once.
void Print(const QString &line);

// Probe side: hands each line read from stdin, trimmed, to `run`; calls `ended` once
// stdin closes. The reading stops when `owner` is destroyed.
void ReadCommands(QObject *owner, const std::function<void(const QByteArray &)> &run,
                  const std::function<void()> &ended);

// Test side: the next output line of `process` that starts with `prefix`, events
// processed meanwhile; empty when none came within `timeoutMs`.
QString AwaitLine(QProcess &process, const QString &prefix, int timeoutMs = 30000);

} // namespace ProbeChannel
