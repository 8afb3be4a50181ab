#include "platform/SystemClock.h"

#include <QLocale>
#include <QTimeZone>
#include <ctime>

QDateTime SystemClock::localNow() const
{
    return QDateTime::currentDateTime();
}

QDateTime SystemClock::utcNow() const
{
    return QDateTime::currentDateTimeUtc();
}

int SystemClock::standardOffsetSeconds() const
{
    // glibc's timezone is the standard offset in seconds west of UTC, whatever the season.
    tzset();
    return static_cast<int>(-timezone);
}

static QString withoutZone(QString format)
{
    // Qt's long formats end with the zone ("t"); the clock line shows the time alone.
    format.remove(QLatin1Char('t'));
    return format.trimmed();
}

QString SystemClock::shortDateFormat() const
{
    return QLocale::system().dateFormat(QLocale::ShortFormat);
}

QString SystemClock::longTimeFormat() const
{
    return withoutZone(QLocale::system().timeFormat(QLocale::LongFormat));
}
