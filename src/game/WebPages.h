#pragma once

#include <QString>

struct PlatformHosts;

// The platform pages the main window's web buttons open in the user's browser.
namespace WebPages {

// The game's page on the platform's portal; also where game pages send the player when
// a launcher is not installed.
QString PortalPage(const PlatformHosts &hosts);

// The page of web button `buttonId` (official site, forum, top-up, customer service);
// empty for any other control.
QString ButtonPage(int buttonId, const PlatformHosts &hosts);

} // namespace WebPages
