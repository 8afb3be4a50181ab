#include "planner/EventRules.h"

#include "planner/PlannerTexts.h"
#include "platform/Clock.h"

namespace {

// An empty date field reads as day zero of the record engine.
QDate effectiveDate(const QDate &date)
{
    return date.isValid() ? date : QDate(1899, 12, 30);
}

QTime effectiveTime(const QTime &time)
{
    return time.isValid() ? QTime(time.hour(), time.minute(), time.second()) : QTime(0, 0, 0);
}

} // namespace

bool EventRules::isDue(const PlannerEvent &event, const QDateTime &now)
{
    const QDate today = now.date();
    const QDate date = effectiveDate(event.data);
    if (today > date)
        return true;
    return today == date && now.time() >= effectiveTime(event.time);
}

int EventRules::weekdayNumber(const QDate &date)
{
    // Qt counts Monday 1 ... Sunday 7; the day flags count Sunday 1 ... Saturday 7.
    return date.dayOfWeek() % 7 + 1;
}

bool EventRules::eventAllowed(const PlannerEvent &event)
{
    const int day = weekdayNumber(effectiveDate(event.data));
    if (!event.days[static_cast<size_t>(day - 1)])
        return false;
    const QTime time = effectiveTime(event.time);
    return effectiveTime(event.repeatHourStart) <= time && time <= effectiveTime(event.repeatHourEnd);
}

std::optional<ShiftUnit> EventRules::unitFromName(const QString &name)
{
    if (name == QLatin1String("min"))
        return ShiftUnit::Minutes;
    if (name == QLatin1String("hour"))
        return ShiftUnit::Hours;
    if (name == QLatin1String("day"))
        return ShiftUnit::Days;
    if (name == QLatin1String("month"))
        return ShiftUnit::Months;
    return std::nullopt;
}

ShiftUnit EventRules::unitOfRepeat(int repeatValueName)
{
    return static_cast<ShiftUnit>(qBound(0, repeatValueName, 3));
}

int EventRules::repeatStep(const PlannerEvent &event)
{
    // The editor offers 1 to 59; a damaged file may hold anything. At least one unit keeps every shift moving
    // forward, and the upper bound keeps the result a real calendar date.
    constexpr qint64 largest = 1000000;
    return int(qBound<qint64>(1, qint64(event.repeatValue) + 1, largest));
}

void EventRules::step(QDate &date, QTime &time, int amount, ShiftUnit unit)
{
    date = effectiveDate(date);
    time = effectiveTime(time);
    switch (unit) {
    case ShiftUnit::Minutes:
    case ShiftUnit::Hours: {
        // Plain calendar arithmetic on the wall-clock moment: no time zone, so a step never lands
        // in or skips over a daylight-saving gap.
        const qint64 unitSecs = unit == ShiftUnit::Minutes ? 60 : 3600;
        const qint64 total = time.msecsSinceStartOfDay() / 1000 + qint64(amount) * unitSecs;
        const qint64 dayShift = total >= 0 ? total / 86400 : -((-total + 86399) / 86400);
        const qint64 secs = total - dayShift * 86400;
        date = date.addDays(dayShift);
        time = QTime(0, 0, 0).addSecs(static_cast<int>(secs));
        break;
    }
    case ShiftUnit::Days: date = date.addDays(amount); break;
    case ShiftUnit::Months:
        // QDate::addMonths already clamps the day to the end of the target month.
        date = date.addMonths(amount);
        break;
    }
}

int EventRules::shift(PlannerEvent &event, int amount, ShiftUnit unit, const QDateTime &now)
{
    const QDate today = now.date();
    const QDate yesterday = today.addDays(-1);
    const QTime nowTime = now.time();
    const bool clockUnit = unit == ShiftUnit::Minutes || unit == ShiftUnit::Hours;
    // A snooze can be given any amount; the further steps use the event's own step, which is at least 1,
    // so every pass of the loop moves the moment forward and the loop ends.
    const int eventStep = repeatStep(event);

    QDate date = effectiveDate(event.data);
    QTime time = effectiveTime(event.time);
    int steps = 0;
    int n = amount;
    for (;;) {
        step(date, time, n, unit);
        ++steps;
        if (clockUnit && date < yesterday)
            date = yesterday;
        const bool past = date < today || (clockUnit && date == today && nowTime > time);
        if (!past)
            break;
        n = eventStep;
    }
    event.data = date;
    event.time = time;
    return steps;
}

QString EventRules::timeWithoutSeconds(const QTime &time, const Clock &clock)
{
    QString text = clock.formatLongTime(effectiveTime(time));
    text.chop(3);
    return text;
}

void EventRules::applyStoringRules(PlannerEvent &event, const PlannerTexts &texts, const Clock &clock)
{
    const QString d = clock.formatShortDate(effectiveDate(event.data));
    const QString t = timeWithoutSeconds(event.time, clock);
    if (event.tip == int(EventKind::Reminder) && event.execute.trimmed().isEmpty()) {
        const QString head = texts.text(event.repeat ? QStringLiteral("sob2") : QStringLiteral("sob1"));
        event.execute = head + QLatin1Char(' ') + d + QLatin1Char(' ') + t;
    } else if (event.tip == int(EventKind::PowerOff)) {
        event.execute
            = texts.text(QStringLiteral("Combobox2Items2")) + QLatin1Char(' ') + d + QStringLiteral(" в ") + t;
    }
    event.execute.truncate(executeSize);
}
