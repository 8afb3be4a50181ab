#include "app/ServiceAddresses.h"

#include "files/IniFile.h"

namespace {

const QString kSection = QString::fromLatin1(ServiceAddresses::section);

bool webAddress(const QString &text)
{
    const QUrl url(text, QUrl::StrictMode);
    return url.isValid() && !url.host().isEmpty()
           && (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"));
}

void readUrl(const IniFile &file, const QString &key, QString *target, bool dropTrailingSlash)
{
    QString value = file.readString(kSection, key, QString());
    if (dropTrailingSlash) {
        while (value.endsWith(QLatin1Char('/')))
            value.chop(1);
    }
    if (webAddress(value))
        *target = value;
}

void readText(const IniFile &file, const QString &key, QString *target)
{
    const QString value = file.readString(kSection, key, QString());
    if (!value.isEmpty())
        *target = value;
}

} // namespace

void ServiceAddresses::read(const IniFile &file)
{
    readUrl(file, QStringLiteral("SiteUrl"), &siteUrl, true);
    readUrl(file, QStringLiteral("FeedUrl"), &feedUrl, false);
    readUrl(file, QStringLiteral("SpeechUrl"), &speechUrl, true);
    readText(file, QStringLiteral("SmtpHost"), &smtpHost);
    const int port = file.readInteger(kSection, QStringLiteral("SmtpPort"), smtpPort);
    if (port >= 1 && port <= 65535)
        smtpPort = port;
    readText(file, QStringLiteral("SmtpUser"), &smtpUser);
    readText(file, QStringLiteral("SmtpPassword"), &smtpPassword);
    readText(file, QStringLiteral("MailTo"), &mailTo);
}

QUrl ServiceAddresses::site(const QString &pathAndQuery) const
{
    return QUrl(siteUrl + pathAndQuery);
}

QUrl ServiceAddresses::speech(const QString &pathAndQuery) const
{
    return QUrl(speechUrl + pathAndQuery);
}
