#include "clock/ClockTicker.h"

#include "platform/Clock.h"
#include "platform/Failure.h"

#include <QDebug>
#include <limits>
#include <malloc.h>

namespace {

QString twoDigits(int value)
{
    // "%.2d": at least two digits, so a year keeps all four.
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

QString timeText(const QTime &t)
{
    return twoDigits(t.hour()) + QLatin1Char(':') + twoDigits(t.minute()) + QLatin1Char(':') + twoDigits(t.second());
}

QString hintText(const char *prefix, const QDateTime &moment)
{
    const QDate d = moment.date();
    const QTime t = moment.time();
    return QLatin1String(prefix) + QLatin1Char(' ') + twoDigits(d.day()) + QLatin1Char('.') + twoDigits(d.month())
           + QLatin1Char('.') + twoDigits(d.year()) + QLatin1Char(' ') + twoDigits(t.hour()) + QLatin1Char(':')
           + twoDigits(t.minute());
}

} // namespace

ClockTicker::ClockTicker(const Clock &clock, QDate &lastGreetingDate, const QString &versionLabelText, QObject *parent)
    : QObject(parent),
      m_clock(clock),
      m_lastGreetingDate(lastGreetingDate),
      m_versionLabelText(versionLabelText),
      m_trim([] {
          ::malloc_trim(0);
      })
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
    l.localHint = hintText("Local", local);
    l.utcText = timeText(utc.time());
    l.utcHint = hintText("UTC", utc);
    l.captionText = versionLabelText;
    return l;
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

    m_labels = formatLabels(m_clock.localNow(), m_clock.utcNow(), m_versionLabelText);
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
