#include "clock/ClockFaceView.h"

#include <QPaintEvent>
#include <QPainter>

ClockFaceView::ClockFaceView(const Clock &clock, QWidget *parent) : QWidget(parent), m_face(clock)
{
    // The face paints every pixel itself, so Qt need not erase behind it first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Every 10 seconds, but a picture that would come out the same is not drawn again.
    connect(&m_face, &ClockFace::redrawDue, this, [this] {
        if (m_face.drawingChanged())
            update();
    });
    m_face.start();
}

void ClockFaceView::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    if (width() > ClockFace::ContentWidth + 1)
        painter.fillRect(QRect(ClockFace::ContentWidth + 1, 0, width() - ClockFace::ContentWidth - 1, height()),
                         Qt::black);
    m_face.paint(painter, height(), event->rect());
}
