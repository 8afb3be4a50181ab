// The tray click's answer: when today's next economic release comes, found by a walk over the calendar rows.
#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QTime>

class Clock;
class Notifier;

class NextNews
{
public:
    /// One calendar row as the walk sees it: the release's local date and time of day.
    struct Release
    {
        QDate date;
        QTime time;
    };

    struct Balloon
    {
        QString title;
        QString text;
        int seconds = 10;
    };

    struct Result
    {
        /// How many times the earliest time was lowered during the walk; 0 means nothing is left today.
        int count = 0;
        /// The earliest release time still to come today (23:59:59 when count is 0).
        QTime next{23, 59, 59};
    };

    /// Walks the rows in order: a row counts when it is dated `now`'s day and its time lies strictly after
    /// `now` and strictly before the earliest time found so far (which starts at 23:59:59).
    static Result find(const QList<Release> &rows, const QDateTime &now);

    /// The balloon for a result; `longTimeFormat` is the user's long time format (ru_RU: "H:mm:ss").
    static Balloon compose(const Result &result, const QString &longTimeFormat);

    /// The whole click answer: the "MailBeep" sound without waiting, then the information balloon.
    static void announce(const QList<Release> &rows, const Clock &clock, Notifier &notifier);
};
