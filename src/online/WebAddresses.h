// The addresses the embedded web views load from the maker's site: banners, web windows, the video pages.
#pragma once

#include <QList>
#include <QString>
#include <QUrl>

namespace WebAddresses {

/// The four banners in the order `WebBrowser1`, `WebBrowser3`, `WebBrowser4`, `WebBrowser5`.
inline constexpr int BannerCount = 4;

/// At start-up: the wide banner carries the machine id and the English name of the system language (cut to 18
/// characters); the others carry no query.
QList<QUrl> bannersAtStart(const QString &siteUrl, const QString &machineId, const QString &languageName);
/// At each refresh: the same, but the wide banner carries the machine id only.
QList<QUrl> bannersAtRefresh(const QString &siteUrl, const QString &machineId);

/// The page of the calendar window and of the forecast window.
QUrl calendarPage(const QString &siteUrl);
QUrl forecastPage(const QString &siteUrl);

/// `VideoProvider` values.
inline constexpr const char *InstaForex = "InstaForex";
inline constexpr const char *MaxiForex = "MaxiForex";
inline constexpr const char *UtroInvestor = "UtroInvestor";

/// The video page of a provider. Only "MaxiForex" takes the date (in the short date form): under the key
/// "t" when the window opens, "data" after the date was changed. Empty for a provider nobody knows.
QUrl videoPage(const QString &siteUrl, const QString &provider, const QString &shortDate, bool dateChanged);
/// Whether the provider's page follows the date picker.
bool videoFollowsDate(const QString &provider);
/// The running line above the video.
QUrl runningLine(const QString &siteUrl);

} // namespace WebAddresses
