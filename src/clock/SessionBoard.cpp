#include "clock/SessionBoard.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

namespace {

constexpr int MinutesPerDay = 24 * 60;

// Hours are UTC; the table order is the drawing order, so a later centre on a shared row paints over an
// earlier one where they touch.
const std::array<SessionCentre, SessionBoard::CentreCount> Centres{{
    {"Wellington", u"Веллингтон", 1, 21, 5, 0, 0},
    {"Sydney", u"Сидней", 2, 22, 6, 0, 0},
    {"Tokyo", u"Токио", 3, 0, 8, 0, 0},
    {"Singapore", u"Сингапур", 5, 1, 9, 0, 0},
    {"HongKong", u"Гонконг", 4, 1, 9, 0, 0},
    {"Shanghai", u"Шанхай", 9, 1, 7, 30, 0},
    {"Frankfurkt", u"Франкфуркт", 1, 5, 13, 0, 0},
    {"Moscow", u"Москва", 8, 5, 13, 0, 30},
    {"London", u"Лондон", 2, 6, 14, 0, 0},
    {"Zurich", u"Цюрих", 6, 5, 13, 0, 0},
    {"Paris", u"Париж", 7, 5, 13, 0, 0},
    {"Riyadh", u"Эр-Рияд", 3, 8, 12, 0, 30},
    {"NewYork", u"Нью-Йорк", 4, 12, 20, 0, 0},
    {"Chicago", u"Чикаго", 3, 13, 21, 0, 0},
    {"LosAngeles", u"Лос-Анжелес", 5, 15, 23, 0, 0},
    {"Johannesburg", u"Йоханнесбург", 9, 7, 15, 0, 0},
}};

int positiveModulo(int value, int divisor)
{
    const int r = value % divisor;
    return r < 0 ? r + divisor : r;
}

QFont nameFont()
{
    // 7 points at 96 dots per inch: a 9-pixel character height, whatever the screen's own resolution.
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(9);
    font.setBold(true);
    return font;
}

void fillPart(QPainter &painter, const SessionInterval &part, int row, const QColor &colour)
{
    const int left = SessionBoard::xOfMinute(part.startMinute);
    const int right = SessionBoard::xOfMinute(part.endMinute); // first pixel after the bar
    painter.fillRect(QRect(left, SessionBoard::barTop(row), right - left, SessionBoard::BarHeight), colour);
}

void writeName(QPainter &painter, const QFontMetrics &metrics, int x, int row, const QString &name,
               const QColor &background, const QColor &textColour)
{
    if (name.isEmpty())
        return;
    // The name is written opaque: its character cell takes the bar's colour even where it runs past the bar.
    const int top = SessionBoard::nameTop(row);
    painter.fillRect(QRect(x, top, metrics.horizontalAdvance(name), metrics.height()), background);
    painter.setPen(textColour);
    painter.drawText(x, top + metrics.ascent(), name);
}

} // namespace

bool LocalSession::isOpenAt(int minuteOfDay) const
{
    auto inside = [minuteOfDay](const SessionInterval &i) {
        return minuteOfDay >= i.startMinute && minuteOfDay < i.endMinute;
    };
    return inside(first) || (twoParts && inside(second));
}

const std::array<SessionCentre, SessionBoard::CentreCount> &SessionBoard::centres()
{
    return Centres;
}

QStringList SessionBoard::nameKeys()
{
    QStringList keys;
    for (const auto &c : Centres)
        keys << QLatin1String(c.key);
    return keys;
}

QStringList SessionBoard::defaultNames()
{
    QStringList names;
    for (const auto &c : Centres)
        names << QString::fromUtf16(c.defaultName);
    return names;
}

int SessionBoard::utcOffsetHours(int standardOffsetSeconds)
{
    // Integer division truncates toward zero: +5:30 gives 5, -3:30 gives -3.
    return standardOffsetSeconds / 3600;
}

LocalSession SessionBoard::localSession(const SessionCentre &centre, int offsetHours)
{
    int open = (offsetHours + centre.openHour) * 60 + centre.openExtraMinutes;
    int close = (offsetHours + centre.closeHour) * 60 + centre.closeExtraMinutes;
    // The opening lies in [0, 24:00); the closing in (0, 24:00], so a close at local midnight counts as 24:00.
    // A modulo rather than a single shift keeps any offset inside the day.
    open = positiveModulo(open, MinutesPerDay);
    close = positiveModulo(close, MinutesPerDay);
    if (close == 0)
        close = MinutesPerDay;

    LocalSession s;
    if (open < close) {
        s.first = {open, close};
    } else {
        s.first = {open, MinutesPerDay};
        s.second = {0, close};
        s.twoParts = true;
    }
    return s;
}

QColor SessionBoard::rowColour(int row, const QColor &highlight)
{
    switch (row) {
    case 1: return QColor(0x00, 0x00, 0xFF); // blue
    case 2: return QColor(0x00, 0x80, 0x00); // green
    case 3: return QColor(0xFF, 0x00, 0xFF); // fuchsia
    case 4: return QColor(0xFF, 0x00, 0x00); // red
    case 5: return QColor(0x00, 0x80, 0x80); // teal
    case 6: return QColor(0x00, 0x00, 0x80); // navy
    case 7: return QColor(0x80, 0x00, 0x80); // purple
    case 8: return highlight;
    case 9: return QColor(0x80, 0x00, 0x00); // maroon
    default: return QColor(Qt::black);
    }
}

void SessionBoard::paint(QPainter &painter, int offsetHours, int nowMinute, bool activeOnly, const QStringList &names,
                         const QColor &highlight)
{
    static const QColor Grey(0x80, 0x80, 0x80);
    static const QColor Silver(0xC0, 0xC0, 0xC0);
    static const QColor White(0xFF, 0xFF, 0xFF);

    painter.save();
    painter.setFont(nameFont());
    const QFontMetrics metrics = painter.fontMetrics();

    for (int i = 0; i < CentreCount; ++i) {
        const SessionCentre &centre = Centres[i];
        const QString name = i < names.size() ? names.at(i) : QString::fromUtf16(centre.defaultName);
        const LocalSession session = localSession(centre, offsetHours);

        QColor brush = rowColour(centre.row, highlight);
        QColor text = White;
        if (activeOnly && !session.isOpenAt(nowMinute)) {
            brush = Grey;
            text = Silver;
        }

        fillPart(painter, session.first, centre.row, brush);
        writeName(painter, metrics, xOfMinute(session.first.startMinute) + 3, centre.row, name, brush, text);
        if (session.twoParts) {
            fillPart(painter, session.second, centre.row, brush);
            // The morning part repeats the name only when the bar gives it about five pixels per character:
            // fewer characters than 4 x C, C in hours, which in minutes is 15 x characters < C.
            if (name.size() * 15 < session.second.endMinute)
                writeName(painter, metrics, 3, centre.row, name, brush, text);
        }
    }
    painter.restore();
}
