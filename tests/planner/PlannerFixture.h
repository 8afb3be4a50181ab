// A temporary program folder with an open `alarm` table, the fakes, and a scheduler wired to them.
#pragma once

#include "planner/AlarmFields.h"
#include "planner/AlarmTimer.h"
#include "planner/EventRules.h"
#include "planner/PowerCountdown.h"
#include "planner/ReminderPresenter.h"
#include "store/DataSet.h"
#include "store/TableSchemas.h"

#include "FakeServices.h"
#include "TempAppDir.h"

#include <optional>

/// Stands in for the reminder window: remembers what the scheduler set and whether it is showing.
class FakeReminder : public ReminderPresenter
{
public:
    bool open = false;
    int id = 0;
    int shows = 0;
    QString caption, message;
    bool isReminderOpen() const override { return open; }
    int reminderEventId() const override { return id; }
    void setReminderEventId(int value) override { id = value; }
    void setReminderTexts(const QString &c, const QString &m) override
    {
        caption = c;
        message = m;
    }
    void showReminder() override
    {
        open = true;
        ++shows;
    }
};

struct PlannerFixture
{
    TempAppDir dir;
    FakeServices fakes;
    DataSet alarm;
    FakeReminder reminder;
    PowerCountdown countdown{&fakes.power};
    AlarmTimer scheduler;

    explicit PlannerFixture(const QDateTime &now = QDateTime(QDate(2026, 3, 5), QTime(15, 0, 0)))
        : scheduler(&alarm, fakes.services(), dir.appDir(), QStringLiteral("ru"))
    {
        fakes.clock.setLocal(now);
        TableSchemas::openAlarm(alarm, dir.appDir());
        scheduler.setReminder(&reminder);
        scheduler.setCountdown(&countdown);
        scheduler.start();
    }

    static PlannerEvent event(int tip, const QDateTime &moment, const QString &text = QString())
    {
        PlannerEvent e;
        e.tip = tip;
        e.data = moment.date();
        e.time = moment.time();
        e.execute = text;
        return e;
    }
    static PlannerEvent repeating(PlannerEvent e, int unit, int repeatValue)
    {
        e.repeat = true;
        e.repeatValueName = unit;
        e.repeatValue = repeatValue;
        e.days.fill(true);
        return e;
    }

    int add(const PlannerEvent &e)
    {
        alarm.insert();
        AlarmFields::write(alarm, e);
        alarm.post();
        return int(alarm.fieldByName(QStringLiteral("id")).asInteger());
    }
    std::optional<PlannerEvent> find(int id)
    {
        if (!alarm.locate(id))
            return std::nullopt;
        return AlarmFields::read(alarm);
    }
    QDateTime momentOf(int id)
    {
        const auto e = find(id);
        return e ? QDateTime(e->data, e->time) : QDateTime();
    }
    int currentId() { return alarm.isEmpty() ? -1 : int(alarm.fieldByName(QStringLiteral("id")).asInteger()); }
    /// The title-bar close of the reminder window: hidden, nothing else.
    void hideReminder() { reminder.open = false; }
};
