#include "planner/PowerCountdown.h"

#include "planner/PlannerEvent.h"
#include "platform/Power.h"

PowerCountdown::PowerCountdown(Power *power, QObject *parent) : QObject(parent), m_power(power)
{
    m_timer.setInterval(1000);
    connect(&m_timer, &QTimer::timeout, this, &PowerCountdown::tick);
}

void PowerCountdown::setEvent(int id, int kind)
{
    m_eventId = id;
    m_kind = kind;
}

void PowerCountdown::setMessage(const QString &message)
{
    m_message = message;
    emit messageChanged(message);
}

void PowerCountdown::prepare()
{
    m_caption = m_texts.text(QStringLiteral("Poff1"));
    emit captionChanged(m_caption);
    setMessage(m_texts.text(QStringLiteral("Poff2")));
}

void PowerCountdown::start()
{
    m_counter = 60;
    m_timer.start();
    m_open = true;
    emit showRequested();
}

void PowerCountdown::shown()
{
    m_open = true;
    m_counter = 60;
}

void PowerCountdown::hiddenByUser()
{
    m_open = false;
}

void PowerCountdown::hide()
{
    m_open = false;
    emit hideRequested();
}

void PowerCountdown::cancel()
{
    m_timer.stop();
    if (m_complete)
        m_complete(m_eventId);
    hide();
}

void PowerCountdown::tick()
{
    --m_counter;
    setMessage(m_texts.text(QStringLiteral("Poff5")) + QLatin1Char(' ') + QString::number(m_counter)
               + QStringLiteral(" секунд"));
    if (m_counter > 0)
        return;
    m_timer.stop();
    // The kind is taken before completing: the event may be gone afterwards, the action happens anyway.
    const int kind = m_kind;
    if (m_complete)
        m_complete(m_eventId);
    hide();
    if (kind == int(EventKind::PowerOff)) {
        // A refused request is not reported; the program ends all the same.
        if (m_power)
            m_power->powerOff();
        emit programEndRequested();
    } else if (m_power) {
        m_power->suspend();
    }
}
