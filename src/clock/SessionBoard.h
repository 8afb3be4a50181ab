// The market session board: sixteen centres, their local trading intervals, and their bars and names.
#pragma once

#include <QColor>
#include <QString>
#include <QStringList>
#include <array>

class QPainter;

/// One financial centre of the board; hours are UTC, the extra minutes belong to the opening or the closing.
struct SessionCentre
{
    const char *key; ///< language-file key of its name
    const char16_t *defaultName;
    int row; ///< 1..9, top to bottom
    int openHour;
    int closeHour;
    int openExtraMinutes;
    int closeExtraMinutes;
};

/// A part of the local day [startMinute, endMinute), minutes since local midnight.
struct SessionInterval
{
    int startMinute = 0;
    int endMinute = 0;
    bool operator==(const SessionInterval &) const = default;
};

/// A centre's trading hours brought into the local day: one interval, or two when it runs over midnight
/// (then `first` is the evening part [O, 24:00) and `second` the morning part [0, C)).
struct LocalSession
{
    SessionInterval first;
    SessionInterval second;
    bool twoParts = false;

    /// Start included, end excluded, compared in whole minutes.
    bool isOpenAt(int minuteOfDay) const;
};

class SessionBoard
{
public:
    static constexpr int CentreCount = 16;
    static constexpr int RowCount = 9;

    /// The fixed table, in drawing order.
    static const std::array<SessionCentre, CentreCount> &centres();
    static QStringList nameKeys();
    static QStringList defaultNames();

    /// `UtcOffsetHours`: a standard offset in seconds east of UTC as whole hours, truncated toward zero.
    static int utcOffsetHours(int standardOffsetSeconds);

    /// The centre's local intervals for a local standard offset in whole hours.
    static LocalSession localSession(const SessionCentre &centre, int offsetHours);

    /// Colour of a row (1..9); row 8 takes the platform's selection highlight.
    static QColor rowColour(int row, const QColor &highlight);

    /// `ShowBirja`: draws the sixteen centres in table order. `names` are the centre names in table order
    /// (missing entries fall back to the Russian defaults; an empty name draws a bar without a label).
    /// With `activeOnly` (option `N9`) the centres closed at `nowMinute` are grey with silver names.
    static void paint(QPainter &painter, int offsetHours, int nowMinute, bool activeOnly, const QStringList &names,
                      const QColor &highlight);

    /// Left x of a bar or name position for a minute of the day (20 pixels per hour).
    static int xOfMinute(int minute) { return minute / 3; }
    /// Top of a row's bar; the bar is 19 pixels high, the name is written 3 pixels lower.
    static int barTop(int row) { return 20 * row + 6; }
    static constexpr int BarHeight = 19;
    static int nameTop(int row) { return 20 * row + 9; }
};
