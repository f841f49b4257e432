#include "support/ProbeChannel.h"

#include <unistd.h>

#include <cstdio>

#include <QProcess>
#include <QSocketNotifier>

#include "support/Wait.h"

namespace ProbeChannel {

void Print(const QString &line)
{
    std::printf("%s\n", qUtf8Printable(line));
    std::fflush(stdout);
}

void ReadCommands(QObject *owner, const std::function<void(const QByteArray &)> &run,
                  const std::function<void()> &ended)
{
    auto *input = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, owner);
    auto pending = std::make_shared<QByteArray>();
    QObject::connect(input, &QSocketNotifier::activated, input, [input, pending, run, ended] {
        char buffer[512];
        const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (got <= 0) {
            input->setEnabled(false);
            ended();
            return;
        }
        pending->append(buffer, got);
        for (qsizetype end = pending->indexOf('\n'); end >= 0; end = pending->indexOf('\n')) {
            const QByteArray command = pending->left(end).trimmed();
            pending->remove(0, end + 1);
            run(command);
        }
    });
}

QString AwaitLine(QProcess &process, const QString &prefix, int timeoutMs)
{
    QString found;
    TestWait::Until(
        [&] {
            while (process.canReadLine()) {
                const QString line = QString::fromUtf8(process.readLine()).trimmed();
                if (line.startsWith(prefix)) {
                    found = line;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return found;
}

} // namespace ProbeChannel
