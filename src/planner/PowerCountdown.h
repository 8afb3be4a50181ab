// The one-minute countdown before a power-off or a sleep: counter, its timer, cancel and the action.
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

#include "planner/PlannerTexts.h"

class Power;

/*
 * The countdown window shows what this object says (captionChanged, messageChanged, showRequested,
 * hideRequested) and tells it when the user hides it with the title bar (hiddenByUser) or when it is shown
 * (shown). Hiding by the title bar does not stop the count: the action still happens when it runs out.
 */
class PowerCountdown : public QObject
{
    Q_OBJECT
public:
    using CompleteEvent = std::function<void(int id)>;

    explicit PowerCountdown(Power *power, QObject *parent = nullptr);

    void setTexts(const PlannerTexts &texts) { m_texts = texts; }
    /// `CompleteEvent` of the scheduler, run when the countdown is cancelled or runs out.
    void setCompleteEvent(CompleteEvent complete) { m_complete = std::move(complete); }

    /// The event that opened the window: its id and kind (2 power off, 3 sleep).
    void setEvent(int id, int kind);
    int eventId() const { return m_eventId; }
    int kind() const { return m_kind; }

    /// Caption Poff1 and message Poff2, before the spoken warning.
    void prepare();
    /// Counter 60, timer started, window shown.
    void start();
    /// "Не выключать комтьютер": timer stopped, the event completed, window hidden.
    void cancel();
    /// One second of the count (`Timer1Timer`).
    void tick();

    /// The window is on screen.
    bool isOpen() const { return m_open; }
    bool isCounting() const { return m_timer.isActive(); }
    int counter() const { return m_counter; }
    QString caption() const { return m_caption; }
    QString message() const { return m_message; }

    /// The window was shown (counter back to 60) or hidden by its title bar (the count goes on).
    void shown();
    void hiddenByUser();

signals:
    void captionChanged(const QString &caption);
    void messageChanged(const QString &message);
    void showRequested();
    void hideRequested();
    /// After a power-off request: the program ends the normal way (settings and notes saved).
    void programEndRequested();

private:
    void setMessage(const QString &message);
    void hide();

    Power *m_power;
    PlannerTexts m_texts;
    CompleteEvent m_complete;
    QTimer m_timer;
    int m_eventId = 0;
    int m_kind = 2;
    int m_counter = 60;
    bool m_open = false;
    QString m_caption;
    QString m_message;
};
