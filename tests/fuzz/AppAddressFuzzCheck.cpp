#include "fuzz/AppAddressFuzzCheck.h"

#include <QString>

#include "login/AppAddress.h"
#include "login/LoadGameRequest.h"

namespace {

bool Check(const QString &address)
{
    const auto command = ParseAppAddress(address);
    if (!command)
        return true;
    if (command->argc() < 1 || command->argc() > kMaxAppArguments)
        return false;
    const LoadGameRequest request = LoadGameRequest::FromArguments(command->argv);
    return !DuplicateLoginMessage(request.account, request.server).isEmpty();
}

} // namespace

bool CheckAppAddressInput(const QByteArray &input)
{
    const QString utf16(reinterpret_cast<const QChar *>(input.constData()), input.size() / 2);
    return Check(QStringLiteral("app://") + QString::fromUtf8(input)) && Check(QString::fromUtf8(input))
        && Check(utf16);
}
