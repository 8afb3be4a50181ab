// `SayGreeting`: the daily sentence naming the part of the day, the weekday and the date, spoken aloud.
#pragma once

#include "platform/Speech.h"

#include <QString>
#include <QTime>
#include <functional>

class Clock;

class Greeting
{
public:
    /// The interface text for a language key ("morning", "tud", "Day3", ...), as the language file has it.
    using TextLookup = std::function<QString(const QString &key)>;

    Greeting(const Clock *clock, Speech *speech, TextLookup texts);

    /// `VoiceLang`, which names the recording "hello-" + code.
    void setVoiceLang(const QString &code) { m_voiceLang = code; }

    /// Speaks sentence() as "hello-" + `VoiceLang`, always fetched anew, and returns at once. done tells the
    /// caller what became of it (a failed greeting leaves `LastGreetingDate` as it was); see Speech.
    void sayGreeting(const QObject *context = nullptr, Speech::Done done = {});
    /// Greeting word, a space, `tud`, a space, the weekday, ", ", the short date and " года".
    QString sentence() const;
    /// `TodayWeekdayName`: the caption `Day1` (Sunday) .. `Day7` (Saturday) for today.
    QString todayWeekdayName() const;

    /// The key of the greeting word for a time of day: four windows with both ends included, checked in
    /// order morning, Goodday, evening, night, the last one that matches winning.
    static QString greetingKey(const QTime &time);

private:
    const Clock *m_clock;
    Speech *m_speech;
    TextLookup m_texts;
    QString m_voiceLang;
};
