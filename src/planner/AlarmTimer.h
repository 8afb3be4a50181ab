// The event scheduler: the 10-second `Alarm` timer, the scan of the `alarm` table, CompleteEvent and ShiftEvent.
#pragma once

#include "planner/PlannerEvent.h"
#include "planner/PlannerTexts.h"
#include "platform/Services.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QObject>
#include <QTime>
#include <QTimer>

class DataSet;
class PowerCountdown;
class ReminderPresenter;

/*
 * Wiring:
 *   AlarmTimer scheduler(&alarm, services, values.appDir, values.voiceLang);
 *   scheduler.setTexts(PlannerTexts(lookup));
 *   scheduler.setReminder(reminderWindow);        // ReminderPresenter
 *   scheduler.setCountdown(&countdown);           // PowerCountdown, whose CompleteEvent is set to ours
 *   ... on the 30th clock tick: scheduler.start();
 *
 * A scan that is already running, or a table in edit or insert state, makes a tick do nothing. The scan never
 * waits for the voice: the reminder shows, the launch starts and the countdown runs first, and the announcement
 * is spoken when its recording is ready. A failure of the speech service does not hold an event back; it is
 * reported when the voice gives up, once per occurrence of that event.
 */
class AlarmTimer : public QObject
{
    Q_OBJECT
public:
    AlarmTimer(DataSet *alarm, const Services &services, const QString &appDir, const QString &voiceLang,
               QObject *parent = nullptr);

    void setTexts(const PlannerTexts &texts) { m_texts = texts; }
    const PlannerTexts &texts() const { return m_texts; }
    void setVoiceLang(const QString &voiceLang) { m_voiceLang = voiceLang; }
    void setReminder(ReminderPresenter *reminder) { m_reminder = reminder; }
    /// Also makes the countdown complete its events through this scheduler.
    void setCountdown(PowerCountdown *countdown);

    /// The `Alarm` timer (10 s). Started on the 30th clock tick, stopped while an event is edited.
    void start();
    void stop();
    bool isActive() const { return m_timer.isActive(); }
    QTimer &timer() { return m_timer; }

    /// One scan (`AlarmTimer`): every due event carried out according to its kind. Throws nothing: a failure
    /// (a refused post, a field that cannot be read) ends the scan and is reported through failed() after the
    /// slot has returned, once for as long as the same failure repeats.
    void scan();
    bool isScanning() const { return m_scanning; }

    /// After an occurrence fired or was skipped: a one-off event is deleted with its recording, a repeating
    /// one moves to its next occurrence. An event that is gone is ignored.
    void completeEvent(int id);
    /// Moves the event by amount units from its own moment, then by its own step until it is not past.
    void shiftEvent(int id, int amount, ShiftUnit unit);
    /// The same with the unit's name: "min", "hour", "day" or "month" (anything else does nothing).
    void shiftEvent(int id, int amount, const QString &unitName);

    /// The close action of the reminder window: CompleteEvent, balloon hidden, `Alarm` started.
    void closeReminder(int id);

signals:
    /// A speech failure, reported once per occurrence of an event (the text of the failure), from the event
    /// loop when the voice gives up, never inside a scan. Without a receiver the failure is shown through
    /// Prompts::error instead.
    void speechFailed(const QString &text);
    /// A scan failed (the failure's text). Without a receiver it is shown through Prompts::error instead.
    void failed(const QString &text);

private:
    void scanDue();
    void reportFailure(const QString &text);
    void handle(const PlannerEvent &event);
    void handleReminder(const PlannerEvent &event);
    void handleLaunch(const PlannerEvent &event);
    void handlePower(const PlannerEvent &event);
    struct Occurrence
    {
        QDate data;
        QTime time;
        bool operator==(const Occurrence &) const = default;
    };

    /// Starts the announcement and returns at once; a failure is reported when the voice gives up.
    void speak(const PlannerEvent &event, const QString &text, const QString &soundName);
    void reportSpeechFailure(int id, const Occurrence &occurrence, const QString &text);
    QString recordingPath(int id) const;

    DataSet *m_alarm;
    Services m_services;
    QString m_appDir;
    QString m_voiceLang;
    PlannerTexts m_texts;
    ReminderPresenter *m_reminder = nullptr;
    PowerCountdown *m_countdown = nullptr;
    QTimer m_timer;
    bool m_scanning = false;
    /// The text of the last scan's failure, cleared by a scan that succeeds.
    QString m_lastScanFailure;
    /// The occurrence of each event whose speech failure has been reported already.
    QHash<int, Occurrence> m_reported;
};
