// Addresses of the outside services, from section [Services] of veltrane.ini; read at start, never written.
#pragma once

#include <QString>
#include <QUrl>

class IniFile;

/// Each key is optional. The compiled-in defaults all point at this machine's loopback interface, so the
/// program reaches nothing outside the computer until the user names real services in the file.
struct ServiceAddresses
{
    static constexpr const char *section = "Services";

    /// Scheme, host and port of the maker's site (update page, banners, web windows).
    QString siteUrl = QStringLiteral("http://127.0.0.1:8080");
    /// The whole URL of the weekly calendar feed.
    QString feedUrl = QStringLiteral("http://127.0.0.1:8081/ffcal_week_this.xml");
    /// Scheme, host and port of the text-to-speech service.
    QString speechUrl = QStringLiteral("http://127.0.0.1:5125");
    QString smtpHost = QStringLiteral("127.0.0.1");
    int smtpPort = 2525;
    QString smtpUser;
    QString smtpPassword;
    /// Where feedback mail goes.
    QString mailTo = QStringLiteral("author@localhost");

    /// Reads section [Services]. A missing or empty key keeps its default, and so does a URL that is not an
    /// absolute http or https address or a port outside 1..65535. Trailing slashes of SiteUrl and SpeechUrl
    /// are dropped so that paths can be appended.
    void read(const IniFile &file);

    /// SiteUrl followed by a path and query that begin with '/' ("/attachments/update.html").
    QUrl site(const QString &pathAndQuery) const;
    /// SpeechUrl followed by a path and an already encoded query ("/translate_tts?ie=UTF-8&tl=ru&q=...").
    QUrl speech(const QString &pathAndQuery) const;
    QUrl feed() const { return QUrl(feedUrl); }
};
