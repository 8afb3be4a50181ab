#include "planner/AlarmFields.h"

#include "store/DataSet.h"

namespace {

QString dayField(int i)
{
    return QStringLiteral("Day%1").arg(i + 1);
}

QTime timeOrMidnight(const QVariant &v)
{
    const QTime t = v.toTime();
    return t.isValid() ? t : QTime(0, 0, 0);
}

} // namespace

PlannerEvent AlarmFields::read(DataSet &alarm)
{
    PlannerEvent e;
    e.id = int(alarm.fieldByName(QStringLiteral("id")).asInteger());
    e.tip = int(alarm.fieldByName(QStringLiteral("Tip")).asInteger());
    e.data = alarm.fieldByName(QStringLiteral("Data")).asDate();
    e.time = timeOrMidnight(alarm.fieldByName(QStringLiteral("Time")).asTime());
    e.execute = alarm.fieldByName(QStringLiteral("Execute")).asString();
    e.repeatHourStart = timeOrMidnight(alarm.fieldByName(QStringLiteral("RepeatHourStart")).asTime());
    e.repeatHourEnd = timeOrMidnight(alarm.fieldByName(QStringLiteral("RepeatHourEnd")).asTime());
    e.repeat = alarm.fieldByName(QStringLiteral("Repeat")).asBoolean();
    e.repeatValue = int(alarm.fieldByName(QStringLiteral("RepeatValue")).asInteger());
    e.repeatValueName = int(alarm.fieldByName(QStringLiteral("RepeatValueName")).asInteger());
    for (int i = 0; i < 7; ++i)
        e.days[size_t(i)] = alarm.fieldByName(dayField(i)).asBoolean();
    return e;
}

void AlarmFields::write(DataSet &alarm, const PlannerEvent &e)
{
    alarm.fieldByName(QStringLiteral("Tip")).setValue(e.tip);
    alarm.fieldByName(QStringLiteral("Data")).setValue(e.data);
    alarm.fieldByName(QStringLiteral("Time")).setValue(e.time);
    alarm.fieldByName(QStringLiteral("Execute")).setValue(e.execute);
    alarm.fieldByName(QStringLiteral("RepeatHourStart")).setValue(e.repeatHourStart);
    alarm.fieldByName(QStringLiteral("RepeatHourEnd")).setValue(e.repeatHourEnd);
    alarm.fieldByName(QStringLiteral("Repeat")).setValue(e.repeat);
    alarm.fieldByName(QStringLiteral("RepeatValue")).setValue(e.repeatValue);
    alarm.fieldByName(QStringLiteral("RepeatValueName")).setValue(e.repeatValueName);
    for (int i = 0; i < 7; ++i)
        alarm.fieldByName(dayField(i)).setValue(e.days[size_t(i)]);
}

void AlarmFields::writeMoment(DataSet &alarm, const PlannerEvent &e)
{
    alarm.fieldByName(QStringLiteral("Data")).setValue(e.data);
    alarm.fieldByName(QStringLiteral("Time")).setValue(e.time);
    alarm.fieldByName(QStringLiteral("Execute")).setValue(e.execute);
}
