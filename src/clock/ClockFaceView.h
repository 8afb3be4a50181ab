// A widget that carries the clock face, for a window that keeps its surface in a child at the bottom of its stack.
#pragma once

#include "clock/ClockFace.h"

#include <QWidget>

class Clock;

class ClockFaceView : public QWidget
{
    Q_OBJECT
public:
    /// Starts `Timer1` at once: the face is redrawn every 10 seconds and on every paint.
    explicit ClockFaceView(const Clock &clock, QWidget *parent = nullptr);

    ClockFace &face() { return m_face; }
    const ClockFace &face() const { return m_face; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    ClockFace m_face;
};
