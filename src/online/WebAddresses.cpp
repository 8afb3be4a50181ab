#include "online/WebAddresses.h"

namespace WebAddresses {

namespace {

QUrl onSite(const QString &siteUrl, const QString &pathAndQuery)
{
    // Spaces (as in "mac not found") go into the address as they are; only the request encodes them.
    return QUrl(siteUrl + pathAndQuery, QUrl::TolerantMode);
}

QList<QUrl> banners(const QString &siteUrl, const QString &wideQuery)
{
    return {onSite(siteUrl, QStringLiteral("/Veltrane/Google-468x60.php") + wideQuery),
            onSite(siteUrl, QStringLiteral("/Veltrane/Google-234x60.php")),
            onSite(siteUrl, QStringLiteral("/Veltrane/Google-234x60.php")),
            onSite(siteUrl, QStringLiteral("/Veltrane/Google-468x60-white.php"))};
}

} // namespace

QList<QUrl> bannersAtStart(const QString &siteUrl, const QString &machineId, const QString &languageName)
{
    return banners(siteUrl, QStringLiteral("?mac=") + machineId + QStringLiteral("&lng=") + languageName.left(18));
}

QList<QUrl> bannersAtRefresh(const QString &siteUrl, const QString &machineId)
{
    return banners(siteUrl, QStringLiteral("?mac=") + machineId);
}

QUrl calendarPage(const QString &siteUrl)
{
    return onSite(siteUrl, QStringLiteral("/Veltrane/ek.htm"));
}

QUrl forecastPage(const QString &siteUrl)
{
    return onSite(siteUrl, QStringLiteral("/Veltrane/prognozMaxiForex.htm"));
}

bool videoFollowsDate(const QString &provider)
{
    return provider == QLatin1String(MaxiForex);
}

QUrl videoPage(const QString &siteUrl, const QString &provider, const QString &shortDate, bool dateChanged)
{
    if (provider == QLatin1String(MaxiForex)) {
        const QString key = dateChanged ? QStringLiteral("data") : QStringLiteral("t");
        return onSite(siteUrl, QStringLiteral("/Veltrane/videoPrognoz.php?") + key + QLatin1Char('=') + shortDate);
    }
    if (provider == QLatin1String(InstaForex))
        return onSite(siteUrl, QStringLiteral("/Veltrane/videoInstaForex.php"));
    if (provider == QLatin1String(UtroInvestor))
        return onSite(siteUrl, QStringLiteral("/Veltrane/videoUtroInvestora.htm"));
    return {};
}

QUrl runningLine(const QString &siteUrl)
{
    return onSite(siteUrl, QStringLiteral("/Veltrane/BegStroka.php"));
}

} // namespace WebAddresses
