// The reminder window `TAlarmForm`: a due reminder's text with snooze choices and "Закрыть".
#pragma once

#include "planner/ReminderPresenter.h"

#include <QWidget>

class AlarmTimer;
class QLabel;
class QMenu;
class QToolButton;

class ReminderWindow : public QWidget, public ReminderPresenter
{
    Q_OBJECT
public:
    explicit ReminderWindow(AlarmTimer *scheduler, QWidget *parent = nullptr);

    bool isReminderOpen() const override { return isVisible(); }
    int reminderEventId() const override;
    void setReminderEventId(int id) override;
    void setReminderTexts(const QString &caption, const QString &message) override;
    void showReminder() override;

    /// A snooze: `ShiftEvent` of the window's event by amount and unit ("min", "hour", "day", "month"),
    /// then the window hides. The balloon and the scheduler's timer are left as they are.
    void snooze(int amount, const QString &unit);
    /// "Закрыть": `CompleteEvent`, balloon hidden, `Alarm` started, window hidden.
    void closeAction();

    QMenu *snoozeMenu() const { return m_menu; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    AlarmTimer *m_scheduler;
    QLabel *m_idLabel;
    QLabel *m_message;
    QToolButton *m_snoozeButton;
    QToolButton *m_closeButton;
    QMenu *m_menu;
};
