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
    // The request keeps the page address as given and names its account and server in
    // the duplicate notice exactly, whatever "%" texts they hold.
    const LoadGameRequest request = LoadGameRequest::FromArguments(command->argv);
    if (request.pageAddress != command->argv.value(0))
        return false;
    return DuplicateLoginMessage(request.account, request.server)
        == QStringLiteral("账号 ") + request.account + QStringLiteral(" 已在 ") + request.server
               + QStringLiteral("服 登录，同一账号不能在一服重复登录");
}

} // namespace

bool CheckAppAddressInput(const QByteArray &input)
{
    const QString utf16(reinterpret_cast<const QChar *>(input.constData()), input.size() / 2);
    return Check(QStringLiteral("app://") + QString::fromUtf8(input)) && Check(QString::fromUtf8(input))
        && Check(utf16);
}
