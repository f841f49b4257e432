// libFuzzer target: every byte string, read as UTF-8 or UTF-16, goes through the address
// grammar and the loadgame rules; none may crash or overflow, and the argument list keeps
// its limit.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "login/AppAddress.h"
#include "login/LoadGameRequest.h"

namespace {

void Check(const QString &address)
{
    const auto command = ParseAppAddress(address);
    if (!command)
        return;
    if (command->argc() < 1 || command->argc() > kMaxAppArguments)
        std::abort();
    const LoadGameRequest request = LoadGameRequest::FromArguments(command->argv);
    (void)DuplicateLoginMessage(request.account, request.server);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const auto *bytes = reinterpret_cast<const char *>(data);
    const QByteArray raw(bytes, static_cast<qsizetype>(size));
    Check(QStringLiteral("app://") + QString::fromUtf8(raw));
    Check(QString::fromUtf8(raw));
    Check(QString(reinterpret_cast<const QChar *>(data), static_cast<qsizetype>(size / 2)));
    return 0;
}
