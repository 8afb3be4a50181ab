#include "calendar/CalendarMerge.h"

#include "platform/Failure.h"
#include "store/DataSet.h"

#include <QRegularExpression>

namespace {

// The grid follows the table again however the merge ends.
class ControlsDisabled
{
public:
    explicit ControlsDisabled(DataSet &ds) : m_ds(ds) { m_ds.disableControls(); }
    ~ControlsDisabled() { m_ds.enableControls(); }
    ControlsDisabled(const ControlsDisabled &) = delete;
    ControlsDisabled &operator=(const ControlsDisabled &) = delete;

private:
    DataSet &m_ds;
};

int column(const DataSet &ds, const char *name)
{
    const int c = ds.fieldIndex(QLatin1String(name));
    if (c < 0)
        throw Failure(QStringLiteral("The calendar table has no field ") + QLatin1String(name));
    return c;
}

// A string as the table would store it: cut to the field's width.
QString asStored(const DataSet &ds, int col, const QString &text)
{
    const int size = ds.fieldDef(col).size;
    return size > 0 ? text.left(size) : text;
}

bool allDigits(QStringView s)
{
    for (QChar c : s)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return !s.isEmpty();
}

} // namespace

std::optional<QDate> CalendarMerge::feedDate(const QString &text)
{
    if (text.size() < 10)
        return std::nullopt;
    const QStringView s(text);
    const QStringView month = s.mid(0, 2), day = s.mid(3, 2), year = s.mid(6, 4);
    if (!allDigits(month) || !allDigits(day) || !allDigits(year))
        return std::nullopt;
    const QDate d(year.toInt(), month.toInt(), day.toInt());
    if (!d.isValid())
        return std::nullopt;
    return d;
}

std::optional<CalendarMerge::FeedTime> CalendarMerge::feedTime(const QString &text)
{
    QString t = text;
    t.remove(QStringLiteral("<![CDATA["));
    t.remove(QStringLiteral("]]>"));
    const bool pm = t.contains(QLatin1String("pm"));
    const bool am = !pm && t.contains(QLatin1String("am"));
    if (!pm && !am)
        return FeedTime{QTime(0, 0), false};
    t.remove(pm ? QStringLiteral("pm") : QStringLiteral("am"));
    static const QRegularExpression clock(QStringLiteral("^\\s*(\\d{1,2}):(\\d{2})\\s*$"));
    const QRegularExpressionMatch m = clock.match(t);
    if (!m.hasMatch())
        return std::nullopt;
    int hour = m.captured(1).toInt();
    const int minute = m.captured(2).toInt();
    if (hour > 12 || minute > 59)
        return std::nullopt;
    if (pm && hour != 12)
        hour += 12;
    if (am && hour == 12)
        hour = 0;
    return FeedTime{QTime(hour, minute), true};
}

QString CalendarMerge::impactWord(const QString &feedWord)
{
    if (feedWord == QLatin1String("Low"))
        return QStringLiteral("Низкий");
    if (feedWord == QLatin1String("Medium"))
        return QStringLiteral("Средний");
    if (feedWord == QLatin1String("High"))
        return QStringLiteral("Высокий");
    if (feedWord == QLatin1String("Holiday"))
        return QStringLiteral("Выходной");
    return feedWord;
}

CalendarMerge::Outcome CalendarMerge::merge(DataSet &econom, const FeedEvents &events, int utcOffsetHours,
                                            const QDate &today)
{
    Outcome out;
    if (events.size() < 2)
        return out;

    const int cTitle = column(econom, "title");
    const int cCountry = column(econom, "country");
    const int cDate = column(econom, "date");
    const int cTime = column(econom, "time");
    const int cForecast = column(econom, "forecast");
    const int cPrevious = column(econom, "previous");
    const int cImpact = column(econom, "impact");

    for (qsizetype i = events.size() - 1; i >= 0; --i) {
        const FeedEvent &e = events.at(i);
        const std::optional<QDate> utcDate = feedDate(e.date);
        if (!utcDate) {
            out.stoppedBy = QStringLiteral("unreadable date \"%1\" of event %2").arg(e.date.left(40)).arg(i + 1);
            break;
        }
        const std::optional<FeedTime> utcTime = feedTime(e.time);
        if (!utcTime) {
            out.stoppedBy = QStringLiteral("unreadable time \"%1\" of event %2").arg(e.time.left(40)).arg(i + 1);
            break;
        }
        QDate date = *utcDate;
        QTime time = utcTime->time;
        if (utcTime->hasClock) {
            // Whole minutes of the day, moved by the offset; the date follows across midnight either way.
            const int minutes = time.hour() * 60 + time.minute() + utcOffsetHours * 60;
            const int days = minutes >= 0 ? minutes / 1440 : -((-minutes + 1439) / 1440);
            const int inDay = minutes - days * 1440;
            date = date.addDays(days);
            time = QTime(inDay / 60, inDay % 60);
        }

        try {
            ControlsDisabled suspended(econom);
            const QString title = asStored(econom, cTitle, e.title);
            const QString country = asStored(econom, cCountry, e.country);
            bool present = false;
            const int rows = econom.rowCount();
            for (int r = 0; r < rows && !present; ++r) {
                present = econom.valueAt(r, cDate).toDate() == date && econom.valueAt(r, cTitle).toString() == title
                          && econom.valueAt(r, cCountry).toString() == country;
            }
            // A row dated before today would go again in the clean-up below: it is not put in at all.
            if (!present && date >= today) {
                econom.insert();
                try {
                    econom.setValue(cTitle, e.title);
                    econom.setValue(cCountry, e.country);
                    econom.setValue(cDate, date);
                    econom.setValue(cTime, time);
                    econom.setValue(cImpact, impactWord(e.impact));
                    econom.setValue(cForecast, e.forecast);
                    econom.setValue(cPrevious, e.previous);
                    econom.post();
                } catch (...) {
                    econom.cancel();
                    throw;
                }
                ++out.inserted;
            }
            // Past days go after every handled event; walking from the end keeps the rows still to look at
            // where they are.
            for (int r = econom.rowCount() - 1; r >= 0; --r) {
                const QDate rowDate = econom.valueAt(r, cDate).toDate();
                if (!rowDate.isValid() || rowDate < today) { // an empty date counts as long past
                    econom.moveTo(r);
                    econom.deleteRecord();
                    ++out.removed;
                }
            }
        } catch (const Failure &f) {
            out.stoppedBy = f.text();
            break;
        }
        ++out.handled;
    }
    return out;
}
