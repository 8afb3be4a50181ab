#include "clock/ClockTicker.h"

#include "platform/Clock.h"
#include "platform/Failure.h"
#include "platform/WorkingSetTrim.h"

#include <QDebug>
#include <limits>

namespace {

/// "%.2d": at least two digits, so a year keeps all four.
void appendTwoDigits(QString &text, int value)
{
    if (value >= 0 && value < 100) {
        text += QLatin1Char(char('0' + value / 10));
        text += QLatin1Char(char('0' + value % 10));
    } else {
        text += QString::number(value);
    }
}

QString timeText(const QTime &t)
{
    QString text;
    text.reserve(8);
    appendTwoDigits(text, t.hour());
    text += QLatin1Char(':');
    appendTwoDigits(text, t.minute());
    text += QLatin1Char(':');
    appendTwoDigits(text, t.second());
    return text;
}

QString hintText(QLatin1String prefix, const QDateTime &moment)
{
    const QDate d = moment.date();
    const QTime t = moment.time();
    QString text;
    text.reserve(prefix.size() + 17);
    text += prefix;
    text += QLatin1Char(' ');
    appendTwoDigits(text, d.day());
    text += QLatin1Char('.');
    appendTwoDigits(text, d.month());
    text += QLatin1Char('.');
    appendTwoDigits(text, d.year());
    text += QLatin1Char(' ');
    appendTwoDigits(text, t.hour());
    text += QLatin1Char(':');
    appendTwoDigits(text, t.minute());
    return text;
}

/// The minute a hint shows: equal keys give equal hints.
qint64 minuteKey(const QDateTime &moment)
{
    const QTime t = moment.time();
    return moment.date().toJulianDay() * 24 * 60 + t.hour() * 60 + t.minute();
}

} // namespace

ClockTicker::ClockTicker(const Clock &clock, QDate &lastGreetingDate, const QString &versionLabelText, QObject *parent)
    : QObject(parent),
      m_clock(clock),
      m_lastGreetingDate(lastGreetingDate),
      m_versionLabelText(versionLabelText),
      m_trim(&trimWorkingSet)
{
    qRegisterMetaType<ClockLabels>();
    m_timer.setInterval(IntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &ClockTicker::tick);
}

void ClockTicker::start()
{
    m_timer.start();
}

void ClockTicker::stop()
{
    m_timer.stop();
}

ClockLabels ClockTicker::formatLabels(const QDateTime &local, const QDateTime &utc, const QString &versionLabelText)
{
    ClockLabels l;
    l.localText = timeText(local.time());
    l.localHint = hintText(QLatin1String("Local"), local);
    l.utcText = timeText(utc.time());
    l.utcHint = hintText(QLatin1String("UTC"), utc);
    l.captionText = versionLabelText;
    return l;
}

void ClockTicker::updateLabels(const QDateTime &local, const QDateTime &utc)
{
    // The hints show minutes: built again only when their minute differs from the last tick's.
    m_labels.localText = timeText(local.time());
    if (const qint64 key = minuteKey(local); key != m_localHintMinute || m_labels.localHint.isEmpty()) {
        m_labels.localHint = hintText(QLatin1String("Local"), local);
        m_localHintMinute = key;
    }
    m_labels.utcText = timeText(utc.time());
    if (const qint64 key = minuteKey(utc); key != m_utcHintMinute || m_labels.utcHint.isEmpty()) {
        m_labels.utcHint = hintText(QLatin1String("UTC"), utc);
        m_utcHintMinute = key;
    }
    m_labels.captionText = m_versionLabelText;
}

void ClockTicker::tick()
{
    try {
        runTick();
    } catch (const Failure &failure) {
        if (!m_reportFailure)
            throw;
        reportLater(failure.text());
    }
}

void ClockTicker::reportLater(const QString &text)
{
    if (!m_reportFailure) {
        qWarning().noquote() << "Veltrane:" << text;
        return;
    }
    QMetaObject::invokeMethod(
        this,
        [this, text] {
            m_reportFailure(text);
        },
        Qt::QueuedConnection);
}

void ClockTicker::runTick()
{
    if (m_trim)
        m_trim();
    // Held at its top rather than wrapping round to the delayed starts again.
    if (m_ticks < std::numeric_limits<int>::max())
        ++m_ticks;

    if (m_ticks == GreetingTick)
        greetIfNewDay();
    if (m_ticks == AlarmTick)
        emit alarmStartDue();

    updateLabels(m_clock.localNow(), m_clock.utcNow());
    emit labelsChanged(m_labels);
}

void ClockTicker::greetIfNewDay()
{
    const QDate today = m_clock.today();
    if (today == m_lastGreetingDate)
        return;
    if (!m_sayGreeting) {
        greeted(today);
        return;
    }
    m_sayGreeting(this, [this, today](const Speech::Result &result) {
        // A failure leaves the date as it was, so the next start greets again.
        if (result.failed)
            reportLater(result.failure);
        else
            greeted(today);
    });
}

void ClockTicker::greeted(const QDate &today)
{
    m_lastGreetingDate = today;
    if (!m_saveSettings)
        return;
    try {
        m_saveSettings();
    } catch (const Failure &failure) {
        reportLater(failure.text());
    }
}
