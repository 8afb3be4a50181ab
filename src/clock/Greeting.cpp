#include "clock/Greeting.h"

#include "platform/Clock.h"

Greeting::Greeting(const Clock *clock, Speech *speech, TextLookup texts)
    : m_clock(clock), m_speech(speech), m_texts(std::move(texts))
{}

QString Greeting::greetingKey(const QTime &time)
{
    const QTime three(3, 0), nine(9, 0), fifteen(15, 0), twentyOne(21, 0);
    QString key;
    if (time >= three && time <= nine)
        key = QStringLiteral("morning");
    if (time >= nine && time <= fifteen)
        key = QStringLiteral("Goodday");
    if (time >= fifteen && time <= twentyOne)
        key = QStringLiteral("evening");
    if (time >= twentyOne || time <= three)
        key = QStringLiteral("night");
    return key;
}

QString Greeting::todayWeekdayName() const
{
    // Qt numbers Monday 1 .. Sunday 7; the day boxes run Sunday 1 .. Saturday 7.
    const int day = m_clock->today().dayOfWeek() % 7 + 1;
    return m_texts(QStringLiteral("Day") + QString::number(day));
}

QString Greeting::sentence() const
{
    const QDateTime now = m_clock->localNow();
    return m_texts(greetingKey(now.time())) + QLatin1Char(' ') + m_texts(QStringLiteral("tud")) + QLatin1Char(' ')
           + todayWeekdayName() + QStringLiteral(", ") + m_clock->formatShortDate(now.date()) + QStringLiteral(" года");
}

void Greeting::sayGreeting(const QObject *context, Speech::Done done)
{
    m_speech->speakText(sentence(), QStringLiteral("hello-") + m_voiceLang, true, context, std::move(done));
}
