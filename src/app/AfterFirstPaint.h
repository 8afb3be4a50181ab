// Work that need not come before the window's first appearance: it runs once the first paint of the window has
// reached the screen, or after a fallback delay should the window never paint (kept off the screen, say).
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

class QWidget;

class AfterFirstPaint : public QObject
{
    Q_OBJECT
public:
    static constexpr int FallbackMs = 3000;

    /// Runs work once, in a later turn of the event loop than the window's first paint (or fallbackMs after
    /// now). The object deletes itself afterwards; it goes with the window too, without running the work.
    static void run(QWidget *window, std::function<void()> work, int fallbackMs = FallbackMs);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    AfterFirstPaint(QWidget *window, std::function<void()> work, int fallbackMs);
    void fire();

    QWidget *m_window;
    std::function<void()> m_work;
    QTimer m_fallback;
    bool m_scheduled = false;
};
