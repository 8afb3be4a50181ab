// One record of the event table `alarm`, as the planner's rules see it.
#pragma once

#include <QDate>
#include <QString>
#include <QTime>
#include <array>

/// Kinds of events, as stored in `Tip`.
enum class EventKind { Reminder = 0, Launch = 1, PowerOff = 2, Sleep = 3 };

/// Units of a shift: `RepeatValueName` 0..3, and the snooze units "min", "hour", "day", "month".
enum class ShiftUnit { Minutes = 0, Hours = 1, Days = 2, Months = 3 };

struct PlannerEvent
{
    int id = 0;
    int tip = 0;
    QDate data;
    QTime time{0, 0, 0};
    QString execute;
    QTime repeatHourStart{0, 0, 0};
    QTime repeatHourEnd{23, 59, 59};
    bool repeat = false;
    int repeatValue = 0;
    int repeatValueName = 2;
    /// days[0] is `Day1` (Sunday) ... days[6] is `Day7` (Saturday).
    std::array<bool, 7> days{};

    bool operator==(const PlannerEvent &) const = default;
};
