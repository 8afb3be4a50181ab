// The wall clock and the user's time formats, as every room sees them; tests drive a fake one.
#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

class Clock
{
public:
    virtual ~Clock() = default;
    /// Local date and time now (millisecond precision).
    virtual QDateTime localNow() const = 0;
    /// UTC now.
    virtual QDateTime utcNow() const = 0;
    /// The zone's standard offset from UTC in seconds east of Greenwich, without daylight saving.
    virtual int standardOffsetSeconds() const = 0;
    /// The user's short date format as a QDate format string (ru_RU: "dd.MM.yyyy").
    virtual QString shortDateFormat() const = 0;
    /// The user's long time format as a QTime format string, without a zone (ru_RU: "HH:mm:ss").
    virtual QString longTimeFormat() const = 0;

    QDate today() const { return localNow().date(); }
    QString formatShortDate(const QDate &d) const { return d.toString(shortDateFormat()); }
    QString formatLongTime(const QTime &t) const { return t.toString(longTimeFormat()); }
};
