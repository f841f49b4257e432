#include "game/WebPages.h"

#include "base/PlatformHosts.h"
#include "game/GameLayout.h"

namespace WebPages {

QString PortalPage(const PlatformHosts &hosts)
{
    return hosts.portal + QStringLiteral("/qvycj/");
}

QString ButtonPage(int buttonId, const PlatformHosts &hosts)
{
    switch (buttonId) {
    case GameLayout::kPortalButton:
        return PortalPage(hosts);
    case GameLayout::kForumButton:
        return hosts.forum + QStringLiteral("/f1089");
    case GameLayout::kPayButton:
        return hosts.pay + QStringLiteral("/pay/?g=ycj");
    case GameLayout::kServiceButton:
        return hosts.service + QStringLiteral("/kf");
    default:
        return {};
    }
}

} // namespace WebPages
