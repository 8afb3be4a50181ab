// The web-link items of the popup menu and the addresses they open in the user's browser.
#pragma once

#include <QStringList>
#include <QUrl>

namespace WebLinks {

/// Every link item: the online consultants, the training videos, the maker's three site items and the
/// account openings.
QStringList itemNames();
/// The address an item opens; the maker's site items open the home page of `siteUrl` (scheme, host and
/// port). Empty for a name that is not a link item.
QUrl address(const QString &itemName, const QString &siteUrl);

} // namespace WebLinks
