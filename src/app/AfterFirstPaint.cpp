#include "app/AfterFirstPaint.h"

#include <QEvent>
#include <QWidget>
#include <utility>

AfterFirstPaint::AfterFirstPaint(QWidget *window, std::function<void()> work, int fallbackMs)
    : QObject(window), m_window(window), m_work(std::move(work))
{
    window->installEventFilter(this);
    m_fallback.setSingleShot(true);
    m_fallback.setInterval(fallbackMs);
    connect(&m_fallback, &QTimer::timeout, this, &AfterFirstPaint::fire);
    m_fallback.start();
}

void AfterFirstPaint::run(QWidget *window, std::function<void()> work, int fallbackMs)
{
    new AfterFirstPaint(window, std::move(work), fallbackMs);
}

bool AfterFirstPaint::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window && event->type() == QEvent::Paint && !m_scheduled) {
        m_scheduled = true;
        m_fallback.stop();
        // Not inside the paint: the window's first picture is flushed to the screen before the work starts.
        QTimer::singleShot(0, this, &AfterFirstPaint::fire);
    }
    return QObject::eventFilter(watched, event);
}

void AfterFirstPaint::fire()
{
    if (!m_work)
        return;
    m_window->removeEventFilter(this);
    m_fallback.stop();
    const auto work = std::exchange(m_work, {});
    deleteLater();
    work();
}
