// The one-second clock tick `Timer2`: working-set trim, tick count, delayed starts and the two time labels.
#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

class Clock;
struct ProgramValues;

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

    /// Reads and writes `LastGreetingDate` and reads `VersionLabelText` in `values`, which must outlive it.
    ClockTicker(const Clock &clock, ProgramValues &values, QObject *parent = nullptr);

    /// `TrimWorkingSet`, run first on every tick. By default glibc's malloc_trim(0).
    void setTrimWorkingSet(std::function<void()> trim) { m_trim = std::move(trim); }
    /// `SayGreeting`: speaks the daily greeting; a failure is thrown (Failure) and leaves the date unrecorded.
    void setSayGreeting(std::function<void()> sayGreeting) { m_sayGreeting = std::move(sayGreeting); }
    /// `SaveSettings` with the current `LangCode`, run after a greeting to store the new date.
    void setSaveSettings(std::function<void()> saveSettings) { m_saveSettings = std::move(saveSettings); }

    /// Shows a failure raised inside the tick (the main window's error box). Without it the failure is thrown
    /// on to the caller of tick().
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
    /// `Timer2Timer`. A failure of the greeting or of the settings save ends the tick there: the steps after it
    /// are skipped for this second and the failure goes to the reporter (never through the timer's signal).
    void tick();

signals:
    /// Emitted once, on the 30th tick: the owner enables the scheduler timer `Alarm`. Later ticks never emit it
    /// again, whatever became of `Alarm` since.
    void alarmStartDue();
    /// Emitted on every completed tick with the texts for `Label1`, `Label2` and `Label4`.
    void labelsChanged(const ClockLabels &labels);

private:
    void runTick();
    void greetIfNewDay();

    const Clock &m_clock;
    ProgramValues &m_values;
    QTimer m_timer;
    int m_ticks = 0;
    ClockLabels m_labels;
    std::function<void()> m_trim;
    std::function<void()> m_sayGreeting;
    std::function<void()> m_saveSettings;
    std::function<void(const QString &)> m_reportFailure;
};
