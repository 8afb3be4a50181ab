// Reads and writes a planner event from and to the current record of the `alarm` data set.
#pragma once

#include "planner/PlannerEvent.h"

class DataSet;

class AlarmFields
{
public:
    /// The event of the current record (empty fields read as 0, "", false; empty times as 0:00:00).
    static PlannerEvent read(DataSet &alarm);
    /// Writes every field but `id` and the reserved `RepeatHour` into the current record (edit or insert state).
    static void write(DataSet &alarm, const PlannerEvent &event);
    /// Writes only the moment and the text, which is what a shift changes.
    static void writeMoment(DataSet &alarm, const PlannerEvent &event);
};
