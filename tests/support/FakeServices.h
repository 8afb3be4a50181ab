// Fakes of the outside facilities: a clock that moves only when told, and recorders for the rest.
#pragma once

#include "platform/Clock.h"
#include "platform/Failure.h"
#include "platform/NetState.h"
#include "platform/Notifier.h"
#include "platform/Power.h"
#include "platform/Prompts.h"
#include "platform/Services.h"
#include "platform/Shell.h"
#include "platform/Speech.h"

#include <QList>
#include <QPointer>
#include <QStringList>
#include <QTimeZone>
#include <QTimer>
#include <utility>

class FakeClock : public Clock
{
public:
    explicit FakeClock(const QDateTime &local = QDateTime(QDate(2026, 3, 5), QTime(14, 28, 30)),
                       int offsetSeconds = 3 * 3600)
        : m_local(local), m_offset(offsetSeconds)
    {}
    QDateTime localNow() const override { return m_local; }
    QDateTime utcNow() const override
    {
        QDateTime u = m_local.addSecs(-(m_offset + m_dst));
        u.setTimeZone(QTimeZone::utc());
        return u;
    }
    int standardOffsetSeconds() const override { return m_offset; }
    QString shortDateFormat() const override { return m_dateFormat; }
    QString longTimeFormat() const override { return m_timeFormat; }

    void setLocal(const QDateTime &local) { m_local = local; }
    void advanceSecs(qint64 s) { m_local = m_local.addSecs(s); }
    void advanceMSecs(qint64 ms) { m_local = m_local.addMSecs(ms); }
    void setOffsetSeconds(int s) { m_offset = s; }
    /// Extra daylight-saving shift included in the local time but not in the standard offset.
    void setDaylightSeconds(int s) { m_dst = s; }
    void setFormats(const QString &date, const QString &time)
    {
        m_dateFormat = date;
        m_timeFormat = time;
    }

private:
    QDateTime m_local;
    int m_offset;
    int m_dst = 0;
    QString m_dateFormat = QStringLiteral("dd.MM.yyyy");
    QString m_timeFormat = QStringLiteral("H:mm:ss");
};

class FakeNetState : public NetState
{
public:
    bool online = false;
    bool isOnline() const override { return online; }
};

/// Records every request. Answers come from the event loop, as the real voice's do: at once (the next pass of
/// the loop), or, with answerAtOnce off, only when the test calls answerPending() (a download still on its way).
class FakeSpeech : public Speech
{
public:
    struct Call
    {
        QString text, soundName;
        bool refetch;
    };
    QList<Call> calls;
    /// Requests fail with "speech failed".
    bool fail = false;
    bool answerAtOnce = true;

    void speakText(const QString &text, const QString &soundName, bool refetch, const QObject *context,
                   Done done) override
    {
        calls.append({text, soundName, refetch});
        Waiter waiter{QPointer<const QObject>(context), context != nullptr, std::move(done)};
        if (!answerAtOnce) {
            m_waiting << waiter;
            return;
        }
        const Result result = outcome();
        QTimer::singleShot(0, [waiter, result] {
            answer(waiter, result);
        });
    }
    int pendingCount() const { return int(m_waiting.size()); }
    /// Answers every request that waits, as fail says.
    void answerPending()
    {
        const Result result = outcome();
        for (const Waiter &waiter : std::exchange(m_waiting, {}))
            answer(waiter, result);
    }

private:
    struct Waiter
    {
        QPointer<const QObject> context;
        bool hasContext;
        Done done;
    };
    Result outcome() const { return fail ? Result{true, QStringLiteral("speech failed")} : Result{}; }
    static void answer(const Waiter &waiter, const Result &result)
    {
        if (waiter.done && (!waiter.hasContext || waiter.context))
            waiter.done(result);
    }
    QList<Waiter> m_waiting;
};

class FakeShell : public Shell
{
public:
    QStringList opened;
    QStringList started;
    bool accept = true;
    bool open(const QString &pathOrUrl) override
    {
        opened << pathOrUrl;
        return accept;
    }
    bool startProgram(const QString &program, const QStringList &arguments = {}) override
    {
        started << (arguments.isEmpty() ? program : program + QLatin1Char(' ') + arguments.join(QLatin1Char(' ')));
        return accept;
    }
};

class FakePower : public Power
{
public:
    int powerOffs = 0;
    int suspends = 0;
    bool powerOff() override
    {
        ++powerOffs;
        return true;
    }
    bool suspend() override
    {
        ++suspends;
        return true;
    }
};

class FakeNotifier : public Notifier
{
public:
    struct Balloon
    {
        QString title, text;
        int seconds;
        BalloonIcon icon;
    };
    QList<Balloon> balloons;
    int hides = 0;
    bool showing = false;
    QStringList sounds;
    void showBalloon(const QString &title, const QString &text, int seconds, BalloonIcon icon) override
    {
        hideBalloon();
        balloons.append({title.left(63), text.left(255), seconds, icon});
        showing = true;
    }
    void hideBalloon() override
    {
        ++hides;
        showing = false;
    }
    void playSound(const QString &name) override { sounds << name; }
};

class FakePrompts : public Prompts
{
public:
    struct Shown
    {
        QString kind, title, text;
    };
    QList<Shown> shown;
    /// Answers given to the next questions, in order; true when the list runs out.
    QList<bool> answers;
    bool question(const QString &text) override { return titledQuestion(QStringLiteral("Вопрос"), text); }
    bool titledQuestion(const QString &title, const QString &text) override
    {
        shown.append({QStringLiteral("question"), title, text});
        return answers.isEmpty() ? true : answers.takeFirst();
    }
    void information(const QString &title, const QString &text) override
    {
        shown.append({QStringLiteral("information"), title, text});
    }
    void error(const QString &title, const QString &text) override
    {
        shown.append({QStringLiteral("error"), title, text});
    }
};

/// One of each fake, with a Services record pointing at them.
struct FakeServices
{
    FakeClock clock;
    FakeNetState net;
    FakeSpeech speech;
    FakeShell shell;
    FakePower power;
    FakeNotifier notifier;
    FakePrompts prompts;
    Services services() { return Services{&clock, &net, &speech, &shell, &power, &notifier, &prompts}; }
};
