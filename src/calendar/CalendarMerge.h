// Merges the events of one feed document into the calendar table: local times, impact words, no doubles,
// past days removed.
#pragma once

#include "calendar/FeedEvent.h"

#include <QDate>
#include <QString>
#include <QTime>

#include <optional>

class DataSet;

/*
 * The events are handled from the last in the document to the first. For each one: the feed's UTC date and
 * 12-hour time become a local date and time with the whole-hour offset; the impact word becomes its Russian
 * name; a row with the same title (as the table stores it, cut to its width), the same local date and the
 * same country (also as stored) means the event is there already, and the row is left exactly as it is (a
 * later forecast or time never reaches it); otherwise one row is inserted, unless it is dated before today.
 * After each event every row dated before today is deleted.
 *
 * A date or a time that cannot be read stops the merge at that event: the events after it in the document,
 * already handled, stay; the ones before it are not merged. A document of fewer than two events leaves the
 * table untouched.
 */
class CalendarMerge
{
public:
    struct Outcome
    {
        /// Events handled to the end (inserted or found already there).
        int handled = 0;
        int inserted = 0;
        /// Rows of past days deleted.
        int removed = 0;
        /// Why the merge stopped early; empty when it went through.
        QString stoppedBy;

        bool changed() const { return inserted > 0 || removed > 0; }
    };

    /// A feed time read as a time of day. `hasClock` is false for texts without "am" or "pm" ("All Day",
    /// "Tentative", empty): such an event is kept on its own day at midnight, without the offset.
    struct FeedTime
    {
        QTime time;
        bool hasClock = false;
    };

    /// Runs the merge on `econom` (browsed through any index; the grid's updates are suspended meanwhile).
    static Outcome merge(DataSet &econom, const FeedEvents &events, int utcOffsetHours, const QDate &today);

    /// "MM-DD-YYYY" by character positions (the separators are not read); nullopt when no valid date.
    static std::optional<QDate> feedDate(const QString &text);
    /// "8:30am", "12:00pm", with CDATA markers removed first; nullopt for a text with "am" or "pm" that is no
    /// valid 12-hour time.
    static std::optional<FeedTime> feedTime(const QString &text);
    /// "Low" "Низкий", "Medium" "Средний", "High" "Высокий", "Holiday" "Выходной"; any other word unchanged.
    static QString impactWord(const QString &feedWord);
};
