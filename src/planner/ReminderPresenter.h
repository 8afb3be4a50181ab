// What the scheduler needs of the reminder window: whether it is open, its event id, and showing it.
#pragma once

#include <QString>

class ReminderPresenter
{
public:
    virtual ~ReminderPresenter() = default;
    virtual bool isReminderOpen() const = 0;
    virtual int reminderEventId() const = 0;
    virtual void setReminderEventId(int id) = 0;
    /// Sets the caption and the message; the window is not shown yet.
    virtual void setReminderTexts(const QString &caption, const QString &message) = 0;
    /// Shows the window without blocking.
    virtual void showReminder() = 0;
};
