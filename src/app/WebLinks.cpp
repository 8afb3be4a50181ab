#include "app/WebLinks.h"

namespace {

struct Link
{
    const char *item;
    /// Empty: the home page of the maker's site.
    const char *address;
};

// Brokers and services by their public home pages.
const Link kLinks[] = {
    // Online consultants.
    {"AdmiralMarkets2", "https://admiralmarkets.com/"},
    {"Alpari2", "https://alpari.com/"},
    {"InstaForex3", "https://www.instaforex.com/"},
    {"ForexCent2", "https://forexcent.com/"},
    {"MaxiForex2", "https://maxiforex.com/"},
    {"RoboForex2", "https://roboforex.com/"},
    {"ZuluTrade2", "https://www.zulutrade.com/"},
    {"Forexmmcis1", "https://www.mmcis.com/"},
    // Training videos.
    {"InstaForex4", "https://www.instaforex.com/"},
    {"MaxiForex1", "https://maxiforex.com/"},
    {"eleTRADETV2", "https://www.teletrade.eu/"},
    // The maker's site, under each of its addresses.
    {"Veltraneru1", ""},
    {"Veltranenet1", ""},
    {"veltraneru2", ""},
    // New accounts.
    {"AdmiralMarkets1", "https://admiralmarkets.com/"},
    {"Alpari1", "https://alpari.com/"},
    {"FBS1", "https://fbs.com/"},
    {"ForexCent1", "https://forexcent.com/"},
    {"InstaForex2", "https://www.instaforex.com/"},
    {"MexiForex1", "https://maxiforex.com/"},
    {"RoboForex1", "https://roboforex.com/"},
    {"ZuluTrade1", "https://www.zulutrade.com/"},
    {"FOREXMMCISgroup1", "https://www.mmcis.com/"},
};

} // namespace

QStringList WebLinks::itemNames()
{
    QStringList names;
    for (const Link &l : kLinks)
        names << QString::fromLatin1(l.item);
    return names;
}

QUrl WebLinks::address(const QString &itemName, const QString &siteUrl)
{
    for (const Link &l : kLinks) {
        if (itemName == QLatin1String(l.item)) {
            if (*l.address)
                return QUrl(QString::fromLatin1(l.address));
            return QUrl(siteUrl + QLatin1Char('/'));
        }
    }
    return {};
}
