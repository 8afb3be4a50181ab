// The date arithmetic of the planner: due test, allowed occurrence, shifts and the storing rules.
#pragma once

#include "planner/PlannerEvent.h"

#include <QDateTime>
#include <optional>

class Clock;
class PlannerTexts;

class EventRules
{
public:
    /// Field length of `Execute`.
    static constexpr int executeSize = 254;

    /// An event is due when today is after its date, or is its date and the time of day has reached its time.
    static bool isDue(const PlannerEvent &event, const QDateTime &now);

    /// Whether the event's own scheduled moment lies on one of its weekdays and inside its hour window
    /// (both bounds inclusive).
    static bool eventAllowed(const PlannerEvent &event);

    /// 1 for Sunday ... 7 for Saturday, the numbering of `Day1` ... `Day7`.
    static int weekdayNumber(const QDate &date);

    /// "min", "hour", "day", "month"; anything else gives no unit.
    static std::optional<ShiftUnit> unitFromName(const QString &name);
    /// `RepeatValueName` 0..3; values outside are clamped so a damaged record still moves.
    static ShiftUnit unitOfRepeat(int repeatValueName);
    /// The repeat step of the event: `RepeatValue` + 1, at least 1 so that a shift always moves forward, and
    /// bounded so that a damaged value still gives a valid date.
    static int repeatStep(const PlannerEvent &event);

    /// One plain step: minutes and hours carry into the date; days move the date; months move it by
    /// calendar months, a day past the end of the target month becoming its last day.
    static void step(QDate &date, QTime &time, int amount, ShiftUnit unit);

    /// `ShiftEvent` on an event in memory: one step of amount, then steps of the event's own repeat step
    /// until the event is no longer in the past. Minute and hour shifts first jump to yesterday when the
    /// date has fallen behind it, which keeps a long-missed event to about two days of steps.
    /// Returns the number of steps taken (for the record only; the result is the event's new moment).
    static int shift(PlannerEvent &event, int amount, ShiftUnit unit, const QDateTime &now);

    /// The rules applied to every post: a reminder without text gets a generated description, a power-off
    /// event's text always describes its moment; launches and sleep events keep their text.
    static void applyStoringRules(PlannerEvent &event, const PlannerTexts &texts, const Clock &clock);

    /// The time of the long time format without its seconds ("9:05:00" gives "9:05").
    static QString timeWithoutSeconds(const QTime &time, const Clock &clock);
};
