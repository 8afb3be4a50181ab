// The clock face of the main window's surface: the 24-hour ruler, the session board, the time marker and edges.
#pragma once

#include <QColor>
#include <QDateTime>
#include <QObject>
#include <QRect>
#include <QStringList>
#include <QTimer>

class Clock;
class QPainter;

/// Everything one drawing of the face depends on.
struct ClockFaceInputs
{
    QDateTime localNow;
    /// `UtcOffsetHours` as read for this drawing: the standard offset in whole hours, without daylight saving.
    int utcOffsetHours = 0;
    /// Option `N9` "Только активные рынки": closed centres are drawn grey.
    bool activeOnly = true;
    /// Centre names in table order, from the interface language.
    QStringList centreNames;
    /// Colour of row 8 (the platform's selection highlight).
    QColor highlight;
};

class ClockFace : public QObject
{
    Q_OBJECT
public:
    static constexpr int ContentWidth = 480;
    /// `Timer1`: the ruler, board and marker are redrawn every 10 seconds (and on every paint).
    static constexpr int RedrawIntervalMs = 10000;
    /// The part of the surface whose drawing depends on the time: ruler, board and marker.
    static QRect timeDependentArea(int height) { return QRect(0, 0, ContentWidth + 1, height - 80); }

    explicit ClockFace(const Clock &clock, QObject *parent = nullptr);

    /// `CurrentHour` and `CurrentMinute`: the local hour (0..23) and minute, read from the time itself, never
    /// from its text in the user's format, so a 12-hour format cannot shift the highlighted hour.
    static int CurrentHour(const QDateTime &localNow);
    static int CurrentMinute(const QDateTime &localNow);
    static int CurrentHour(const Clock &clock);
    static int CurrentMinute(const Clock &clock);

    /// x of the time marker: milliseconds since local midnight rounded to seconds, then to minutes, then to
    /// pixels (three minutes each), every step to the nearest with ties to even (14:28:30.000 gives 289).
    static int markerX(const QTime &localTime);

    /// `ShowClock`: draws the whole face on a surface `height` pixels high (the window's 290), from x = 0 to
    /// x = 480 inclusive. The area is cleared to black first, so the result does not depend on what was there.
    static void ShowClock(QPainter &painter, int height, const ClockFaceInputs &inputs);

    void setActiveOnly(bool on) { m_activeOnly = on; }
    bool activeOnly() const { return m_activeOnly; }
    /// Names in table order (16); missing entries fall back to the Russian defaults.
    void setCentreNames(const QStringList &names) { m_names = names; }
    QStringList centreNames() const { return m_names; }
    /// Row 8's colour; when never set, the application palette's highlight at the moment of drawing.
    void setHighlight(const QColor &colour) { m_highlight = colour; }
    QColor highlight() const;

    /// Starts `Timer1`, which emits redrawDue() every 10 seconds.
    void start();
    void stop();
    bool isActive() const { return m_timer.isActive(); }

    /// The inputs of a drawing made now: the clock read now and the offset read anew.
    ClockFaceInputs inputsNow() const;
    /// Whether two sets of inputs draw the same picture: the same marker, hour, minute, offset, option, names
    /// and highlight (the seconds alone change nothing that is drawn).
    static bool sameDrawing(const ClockFaceInputs &a, const ClockFaceInputs &b);
    /// Whether a drawing made now would differ from the last whole drawing (true before the first one).
    bool drawingChanged() const;

    /// Paints from the owner's paintEvent. A paint that exposes the whole time-dependent area reads the clock,
    /// the offset and the options anew; a smaller one (a tooltip or menu closing over the board) draws the
    /// inputs of the last whole drawing again, so the part repainted always matches the rest of the surface.
    /// A paint that exposes nothing of the time-dependent area (a label of the bottom line changing) draws
    /// only the plain background there, which is all the face has below the board.
    void paint(QPainter &painter, int height, const QRect &exposed);

signals:
    /// `Timer1Timer`: the owner repaints the whole face (QWidget::update()) when drawingChanged().
    void redrawDue();

private:
    const Clock &m_clock;
    QTimer m_timer;
    bool m_activeOnly = true;
    QStringList m_names;
    QColor m_highlight;
    ClockFaceInputs m_shown;
};
