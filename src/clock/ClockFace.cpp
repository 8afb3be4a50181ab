#include "clock/ClockFace.h"

#include "clock/SessionBoard.h"
#include "platform/Clock.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QPalette>

namespace {

const QColor Navy(0x00, 0x00, 0x80);
const QColor White(0xFF, 0xFF, 0xFF);
const QColor Yellow(0xFF, 0xFF, 0x00);
const QColor Black(0x00, 0x00, 0x00);

/// numerator / denominator rounded to the nearest integer, ties to even; both non-negative.
qint64 roundHalfEven(qint64 numerator, qint64 denominator)
{
    qint64 q = numerator / denominator;
    const qint64 twiceRest = 2 * (numerator % denominator);
    if (twiceRest > denominator || (twiceRest == denominator && (q & 1)))
        ++q;
    return q;
}

QFont rulerFont()
{
    // 10 points at 96 dots per inch: a 13-pixel character height, whatever the screen's own resolution.
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(13);
    font.setBold(true);
    return font;
}

void writeOpaque(QPainter &painter, const QFontMetrics &metrics, int x, int y, const QString &text,
                 const QColor &textColour, const QColor &background)
{
    painter.fillRect(QRect(x, y, metrics.horizontalAdvance(text), metrics.height()), background);
    painter.setPen(textColour);
    painter.drawText(x, y + metrics.ascent(), text);
}

} // namespace

ClockFace::ClockFace(const Clock &clock, QObject *parent) : QObject(parent), m_clock(clock)
{
    m_timer.setInterval(RedrawIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &ClockFace::redrawDue);
}

int ClockFace::CurrentHour(const QDateTime &localNow)
{
    return localNow.time().hour();
}

int ClockFace::CurrentMinute(const QDateTime &localNow)
{
    return localNow.time().minute();
}

int ClockFace::CurrentHour(const Clock &clock)
{
    return CurrentHour(clock.localNow());
}

int ClockFace::CurrentMinute(const Clock &clock)
{
    return CurrentMinute(clock.localNow());
}

int ClockFace::markerX(const QTime &localTime)
{
    const qint64 ms = localTime.msecsSinceStartOfDay();
    const qint64 seconds = roundHalfEven(ms, 1000);
    const qint64 minutes = roundHalfEven(seconds, 60);
    // minutes / 60 hours x 20 pixels per hour.
    return static_cast<int>(roundHalfEven(minutes * 20, 60));
}

namespace {

// The black ground and the board's navy right edge: all there is below the board and the marker.
void drawBackground(QPainter &painter, int height)
{
    painter.fillRect(QRect(0, 0, ClockFace::ContentWidth + 1, height), Black);
    painter.fillRect(QRect(ClockFace::ContentWidth, 0, 1, height), Navy);
}

} // namespace

void ClockFace::ShowClock(QPainter &painter, int height, const ClockFaceInputs &in)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    drawBackground(painter, height);

    // The navy ruler strip with its navy outline.
    painter.fillRect(QRect(0, 0, ContentWidth, 20), Navy);

    // Hour ticks and labels; a single reading of the time keeps "23" and "24" in step.
    const int hour = CurrentHour(in.localNow);
    painter.setFont(rulerFont());
    const QFontMetrics metrics = painter.fontMetrics();
    for (int n = 1; n <= 23; ++n) {
        painter.fillRect(QRect(20 * n, 0, 1, 20), White);
        const int x = n < 10 ? 20 * (n - 1) + 6 : 20 * (n - 1) + 2;
        writeOpaque(painter, metrics, x, 3, QString::number(n), n == hour ? Yellow : White, Navy);
    }
    writeOpaque(painter, metrics, 462, 3, QStringLiteral("24"), hour == 23 ? Yellow : White, Navy);

    SessionBoard::paint(painter, in.utcOffsetHours, hour * 60 + CurrentMinute(in.localNow), in.activeOnly,
                        in.centreNames, in.highlight);

    // The marker: a white line with a black one on its left, from the ruler down to the banner strip.
    const int x = markerX(in.localNow.time());
    const int markerHeight = height - 80 - 20;
    painter.fillRect(QRect(x - 1, 20, 1, markerHeight), Black);
    painter.fillRect(QRect(x, 20, 1, markerHeight), White);

    // The black edge lines: the left edge, and x = 479 below the ruler.
    painter.fillRect(QRect(0, 0, 1, height), Black);
    painter.fillRect(QRect(ContentWidth - 1, 20, 1, height - 20), Black);
    painter.restore();
}

QColor ClockFace::highlight() const
{
    if (m_highlight.isValid())
        return m_highlight;
    return QGuiApplication::palette().color(QPalette::Active, QPalette::Highlight);
}

void ClockFace::start()
{
    m_timer.start();
}

void ClockFace::stop()
{
    m_timer.stop();
}

bool ClockFace::sameDrawing(const ClockFaceInputs &a, const ClockFaceInputs &b)
{
    // What ShowClock reads of the time: the marker's x, the hour of the ruler, the minute of the board.
    if (!a.localNow.isValid() || !b.localNow.isValid())
        return false;
    const QTime ta = a.localNow.time();
    const QTime tb = b.localNow.time();
    return markerX(ta) == markerX(tb) && ta.hour() == tb.hour() && ta.minute() == tb.minute()
           && a.utcOffsetHours == b.utcOffsetHours && a.activeOnly == b.activeOnly && a.centreNames == b.centreNames
           && a.highlight == b.highlight;
}

bool ClockFace::drawingChanged() const
{
    return !sameDrawing(m_shown, inputsNow());
}

ClockFaceInputs ClockFace::inputsNow() const
{
    ClockFaceInputs in;
    in.localNow = m_clock.localNow();
    // Read anew at every drawing: a change of the system's zone shows at the next redraw.
    in.utcOffsetHours = SessionBoard::utcOffsetHours(m_clock.standardOffsetSeconds());
    in.activeOnly = m_activeOnly;
    in.centreNames = m_names;
    in.highlight = highlight();
    return in;
}

void ClockFace::paint(QPainter &painter, int height, const QRect &exposed)
{
    if (!exposed.intersects(timeDependentArea(height))) {
        drawBackground(painter, height);
        return;
    }
    if (exposed.contains(timeDependentArea(height)) || !m_shown.localNow.isValid())
        m_shown = inputsNow();
    ShowClock(painter, height, m_shown);
}
