// The one-second clock tick `Timer2`: working-set trim, tick count, delayed starts and the two time labels.
#pragma once

#include "platform/Speech.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

class Clock;

/// Texts of the bottom line for one tick.
struct ClockLabels
{
    QString localText;   ///< `Label1` caption, "14:07:09"
    QString localHint;   ///< `Label1` hint, "Local 05.03.2012 14:07"
    QString utcText;     ///< `Label2` caption
    QString utcHint;     ///< `Label2` hint, "UTC 05.03.2012 11:07"
    QString captionText; ///< `Label4` caption, `VersionLabelText`
    bool operator==(const ClockLabels &) const = default;
};
Q_DECLARE_METATYPE(ClockLabels)

class ClockTicker : public QObject
{
    Q_OBJECT
public:
    static constexpr int IntervalMs = 1000;
    static constexpr int GreetingTick = 10;
    static constexpr int AlarmTick = 30;

    /// Reads and writes `LastGreetingDate` through lastGreetingDate and shows `VersionLabelText` as it stands at
    /// each tick; both belong to the owner, are set by later start-up steps and must outlive the ticker.
    ClockTicker(const Clock &clock, QDate &lastGreetingDate, const QString &versionLabelText,
                QObject *parent = nullptr);

    /// `TrimWorkingSet`, run first on every tick. By default trimWorkingSet() (platform/WorkingSetTrim.h).
    void setTrimWorkingSet(std::function<void()> trim) { m_trim = std::move(trim); }
    /// `SayGreeting`: starts the daily greeting and returns at once; done follows from the event loop (see
    /// Speech). The tick never waits for it: the labels go on changing while the recording downloads.
    using SayGreeting = std::function<void(const QObject *context, Speech::Done done)>;
    void setSayGreeting(SayGreeting sayGreeting) { m_sayGreeting = std::move(sayGreeting); }
    /// `SaveSettings` with the current `LangCode`, run once the greeting has been spoken, to store the new date.
    /// Throws Failure when the file cannot be written.
    void setSaveSettings(std::function<void()> saveSettings) { m_saveSettings = std::move(saveSettings); }

    /// Shows a failure of the tick or of the greeting (the main window's error box). It is called from the
    /// event loop after the tick's slot has returned, so a box waiting for the user never holds the tick up.
    /// Without it a failure inside the tick is thrown on to the caller of tick(), and a failed greeting is
    /// only logged.
    void setReportFailure(std::function<void(const QString &text)> report) { m_reportFailure = std::move(report); }

    /// Starts `Timer2` (1 s). `ClockTicks` counts from where it stands (0 after construction).
    void start();
    void stop();
    bool isActive() const { return m_timer.isActive(); }

    /// `ClockTicks`: ticks since start, never reset.
    int clockTicks() const { return m_ticks; }
    /// The texts of the last tick that reached the labels.
    const ClockLabels &labels() const { return m_labels; }

    /// The bottom line's texts for a local and a UTC moment ("%.2d" fields, four-digit year).
    static ClockLabels formatLabels(const QDateTime &local, const QDateTime &utc, const QString &versionLabelText);

public slots:
    /// `Timer2Timer`. Never waits: the greeting is started here and finishes later. A failure inside the tick
    /// ends it there (the steps after it are skipped for this second) and goes to the reporter once the slot
    /// has returned (never through the timer's signal).
    void tick();

signals:
    /// Emitted once, on the 30th tick: the owner enables the scheduler timer `Alarm`. Later ticks never emit it
    /// again, whatever became of `Alarm` since.
    void alarmStartDue();
    /// Emitted on every completed tick with the texts for `Label1`, `Label2` and `Label4`.
    void labelsChanged(const ClockLabels &labels);

private:
    void runTick();
    /// m_labels for this tick, the same texts as formatLabels gives.
    void updateLabels(const QDateTime &local, const QDateTime &utc);
    void greetIfNewDay();
    /// Records today as greeted and saves the settings, which store it.
    void greeted(const QDate &today);
    /// Hands a failure to the reporter after the current slot has returned.
    void reportLater(const QString &text);

    const Clock &m_clock;
    QDate &m_lastGreetingDate;
    const QString &m_versionLabelText;
    QTimer m_timer;
    int m_ticks = 0;
    ClockLabels m_labels;
    qint64 m_localHintMinute = 0;
    qint64 m_utcHintMinute = 0;
    std::function<void()> m_trim;
    SayGreeting m_sayGreeting;
    std::function<void()> m_saveSettings;
    std::function<void(const QString &)> m_reportFailure;
};
