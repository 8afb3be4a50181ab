// Merging feed events into the calendar table: local dates and times, impact words, doubles, past days,
// and where a bad event stops the merge.
#include "calendar/CalendarMerge.h"

#include "store/DataSet.h"
#include "store/TableSchemas.h"

#include <QtTest>

namespace {

using Rows = QStringList; // "title|country|yyyy-MM-dd|HH:mm|impact|forecast|previous", in table order

FeedEvent ev(const QString &title, const QString &date, const QString &time, const QString &impact = "High",
             const QString &country = "USD", const QString &forecast = "1.0%", const QString &previous = "0.9%")
{
    return FeedEvent{title, country, date, time, impact, forecast, previous};
}

void openInMemory(DataSet &econom)
{
    TableSchemas::defineEconom(econom);
    econom.createDataSet();
    econom.setIndexName(QStringLiteral("DataTime"));
}

void addRow(DataSet &econom, const QString &row)
{
    const QStringList f = row.split(QLatin1Char('|'));
    econom.insert();
    econom.fieldByName(QStringLiteral("title")).setValue(f[0]);
    econom.fieldByName(QStringLiteral("country")).setValue(f[1]);
    econom.fieldByName(QStringLiteral("date")).setValue(QDate::fromString(f[2], Qt::ISODate));
    econom.fieldByName(QStringLiteral("time")).setValue(QTime::fromString(f[3], QStringLiteral("HH:mm")));
    econom.fieldByName(QStringLiteral("impact")).setValue(f[4]);
    econom.fieldByName(QStringLiteral("forecast")).setValue(f.value(5));
    econom.fieldByName(QStringLiteral("previous")).setValue(f.value(6));
    econom.post();
}

Rows rows(DataSet &econom)
{
    Rows out;
    for (int r = 0; r < econom.rowCount(); ++r) {
        QStringList f;
        for (int c = 0; c < econom.fieldCount(); ++c) {
            const QVariant v = econom.valueAt(r, c);
            if (v.typeId() == QMetaType::QDate)
                f << v.toDate().toString(Qt::ISODate);
            else if (v.typeId() == QMetaType::QTime)
                f << v.toTime().toString(QStringLiteral("HH:mm"));
            else
                f << v.toString();
        }
        // Stored order: title, country, date, time, forecast, previous, impact.
        out << QStringList{f[0], f[1], f[2], f[3], f[6], f[4], f[5]}.join(QLatin1Char('|'));
    }
    return out;
}

const QString k51 = QStringLiteral("Fifty-one characters of a title that goes on and on");
const QString k50 = k51.left(50);

} // namespace

class TestCalendarMerge : public QObject
{
    Q_OBJECT
private slots:
    void merge_data()
    {
        QTest::addColumn<Rows>("before");
        QTest::addColumn<FeedEvents>("feed");
        QTest::addColumn<int>("offset");
        QTest::addColumn<QDate>("today");
        QTest::addColumn<int>("runs");
        QTest::addColumn<Rows>("after");
        QTest::addColumn<bool>("stopped");

        const QDate jan14(2010, 1, 14);
        const Rows pastRow{QStringLiteral("Old|EUR|2010-01-13|09:00|Низкий|1|2")};
        const FeedEvent filler = ev("Filler", "01-20-2010", "1:00am");
        const QString fillerRow = QStringLiteral("Filler|USD|2010-01-20|%1|Высокий|1.0%|0.9%");

        QTest::newRow("one event only: nothing, no clean-up")
            << pastRow << FeedEvents{ev("A", "01-15-2010", "10:00pm")} << 3 << jan14 << 1 << pastRow << false;
        QTest::newRow("+3 across midnight, past row removed")
            << pastRow << FeedEvents{ev("A", "01-15-2010", "10:00pm"), filler} << 3 << jan14 << 1
            << Rows{fillerRow.arg("04:00"), "A|USD|2010-01-16|01:00|Высокий|1.0%|0.9%"} << false;
        QTest::newRow("+2 lands on the next midnight")
            << Rows{} << FeedEvents{ev("A", "01-15-2010", "10:00pm"), filler} << 2 << jan14 << 1
            << Rows{fillerRow.arg("03:00"), "A|USD|2010-01-16|00:00|Высокий|1.0%|0.9%"} << false;
        QTest::newRow("-5 back to the day before")
            << Rows{} << FeedEvents{ev("A", "01-15-2010", "3:00am"), filler} << -5 << QDate(2010, 1, 1) << 1
            << Rows{"Filler|USD|2010-01-19|20:00|Высокий|1.0%|0.9%", "A|USD|2010-01-14|22:00|Высокий|1.0%|0.9%"}
            << false;
        QTest::newRow("noon and midnight")
            << Rows{} << FeedEvents{ev("Noon", "01-15-2010", "12:00pm"), ev("Midnight", "01-15-2010", "12:00am")} << 0
            << jan14 << 1
            << Rows{"Noon|USD|2010-01-15|12:00|Высокий|1.0%|0.9%", "Midnight|USD|2010-01-15|00:00|Высокий|1.0%|0.9%"}
            << false;
        QTest::newRow("CDATA markers left in the time text")
            << Rows{} << FeedEvents{ev("A", "01-15-2010", "<![CDATA[1:05pm]]>"), ev("B", "01-15-2010", "]]>7:45am")}
            << 0 << jan14 << 1
            << Rows{"A|USD|2010-01-15|13:05|Высокий|1.0%|0.9%", "B|USD|2010-01-15|07:45|Высокий|1.0%|0.9%"} << false;
        QTest::newRow("impact words: four known, unknown kept, long cut to 12")
            << Rows{}
            << FeedEvents{ev("L", "01-15-2010", "1:00am", "Low"),
                          ev("M", "01-15-2010", "2:00am", "Medium"),
                          ev("H", "01-15-2010", "3:00am", "High"),
                          ev("D", "01-15-2010", "4:00am", "Holiday"),
                          ev("U", "01-15-2010", "5:00am", "Non-Economic"),
                          ev("C", "01-15-2010", "6:00am", "high"),
                          ev("X", "01-15-2010", "7:00am", "Extraordinarily High")}
            << 0 << jan14 << 1
            << Rows{"X|USD|2010-01-15|07:00|Extraordinar|1.0%|0.9%", "C|USD|2010-01-15|06:00|high|1.0%|0.9%",
                    "U|USD|2010-01-15|05:00|Non-Economic|1.0%|0.9%", "D|USD|2010-01-15|04:00|Выходной|1.0%|0.9%",
                    "H|USD|2010-01-15|03:00|Высокий|1.0%|0.9%",      "M|USD|2010-01-15|02:00|Средний|1.0%|0.9%",
                    "L|USD|2010-01-15|01:00|Низкий|1.0%|0.9%"}
            << false;
        QTest::newRow("the same feed twice adds nothing; a 51-character title is recognised")
            << Rows{} << FeedEvents{ev(k51, "01-15-2010", "8:30am"), filler} << 3 << jan14 << 2
            << Rows{fillerRow.arg("04:00"), k50 + "|USD|2010-01-15|11:30|Высокий|1.0%|0.9%"} << false;
        QTest::newRow("a row already there is never updated")
            << Rows{"A|USD|2010-01-15|09:00|Низкий|old|old"}
            << FeedEvents{ev("A", "01-15-2010", "1:00pm", "High", "USD", "new", "new"), filler} << 0 << jan14 << 1
            << Rows{fillerRow.arg("01:00"), "A|USD|2010-01-15|09:00|Низкий|old|old"} << false;
        QTest::newRow("same title, another country or day: new rows; case counts")
            << Rows{"A|USD|2010-01-15|09:00|Высокий|1.0%|0.9%"}
            << FeedEvents{ev("A", "01-15-2010", "9:00am", "High", "EUR"), ev("A", "01-16-2010", "9:00am"),
                          ev("a", "01-15-2010", "9:00am")}
            << 0 << jan14 << 1
            << Rows{"A|USD|2010-01-16|09:00|Высокий|1.0%|0.9%", "A|USD|2010-01-15|09:00|Высокий|1.0%|0.9%",
                    "a|USD|2010-01-15|09:00|Высокий|1.0%|0.9%", "A|EUR|2010-01-15|09:00|Высокий|1.0%|0.9%"}
            << false;
        // The stored country is cut to three characters: comparing the uncut one would add the event again
        // at every start.
        QTest::newRow("a long country is recognised as stored")
            << Rows{} << FeedEvents{ev("A", "01-15-2010", "9:00am", "High", "EURO"), filler} << 0 << jan14 << 2
            << Rows{fillerRow.arg("01:00"), "A|EUR|2010-01-15|09:00|Высокий|1.0%|0.9%"} << false;
        QTest::newRow("no am or pm: its own day at midnight, offset not applied")
            << Rows{}
            << FeedEvents{ev("All", "01-15-2010", "All Day"), ev("Tent", "01-15-2010", "Tentative"),
                          ev("Empty", "01-15-2010", "")}
            << -5 << jan14 << 1
            << Rows{"Empty|USD|2010-01-15|00:00|Высокий|1.0%|0.9%", "Tent|USD|2010-01-15|00:00|Высокий|1.0%|0.9%",
                    "All|USD|2010-01-15|00:00|Высокий|1.0%|0.9%"}
            << false;
        QTest::newRow("malformed date in the first event: the rest imported")
            << pastRow << FeedEvents{ev("Bad", "2010-01-15", "8:30am"), ev("B", "01-15-2010", "9:00am"), filler} << 0
            << jan14 << 1 << Rows{fillerRow.arg("01:00"), "B|USD|2010-01-15|09:00|Высокий|1.0%|0.9%"} << true;
        QTest::newRow("bad time in the middle: later events kept, earlier ones not")
            << Rows{}
            << FeedEvents{ev("Early", "01-15-2010", "8:00am"), ev("Bad", "01-15-2010", "13:00pm"),
                          ev("Late", "01-15-2010", "9:00pm")}
            << 0 << jan14 << 1 << Rows{"Late|USD|2010-01-15|21:00|Высокий|1.0%|0.9%"} << true;
        QTest::newRow("bad last event: nothing handled, past rows stay")
            << pastRow << FeedEvents{filler, ev("Bad", "13-45-2010", "9:00am")} << 0 << jan14 << 1 << pastRow << true;
        QTest::newRow("an impossible day stops")
            << Rows{} << FeedEvents{ev("A", "02-30-2010", "9:00am"), ev("B", "01-15-2010", "9:00am")} << 0 << jan14 << 1
            << Rows{"B|USD|2010-01-15|09:00|Высокий|1.0%|0.9%"} << true;
        QTest::newRow("events dated before today are not stored")
            << Rows{} << FeedEvents{ev("Past", "01-10-2010", "9:00am"), filler} << 0 << jan14 << 1
            << Rows{fillerRow.arg("01:00")} << false;
    }
    void merge()
    {
        QFETCH(Rows, before);
        QFETCH(FeedEvents, feed);
        QFETCH(int, offset);
        QFETCH(QDate, today);
        QFETCH(int, runs);
        QFETCH(Rows, after);
        QFETCH(bool, stopped);

        DataSet econom;
        openInMemory(econom);
        for (const QString &row : before)
            addRow(econom, row);
        int inserted = 0;
        CalendarMerge::Outcome outcome;
        for (int i = 0; i < runs; ++i) {
            outcome = CalendarMerge::merge(econom, feed, offset, today);
            inserted += outcome.inserted;
        }
        QCOMPARE(rows(econom), after);
        QCOMPARE(!outcome.stoppedBy.isEmpty(), stopped);
        QVERIFY(!econom.controlsDisabled());
        if (runs > 1)
            QCOMPARE(outcome.inserted, 0);
        else
            QCOMPARE(inserted, int(after.size() - before.size() + outcome.removed));
    }

    void times_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected"); // "HH:mm", "none" (no am/pm: midnight), "bad"

        QTest::newRow("8:30am") << "8:30am"
                                << "08:30";
        QTest::newRow("1:00pm") << "1:00pm"
                                << "13:00";
        QTest::newRow("12:30pm") << "12:30pm"
                                 << "12:30";
        QTest::newRow("12:15am") << "12:15am"
                                 << "00:15";
        QTest::newRow("11:59pm") << "11:59pm"
                                 << "23:59";
        QTest::newRow("All Day") << "All Day"
                                 << "none";
        QTest::newRow("Tentative") << "Tentative"
                                   << "none";
        QTest::newRow("upper-case PM is no suffix") << "1:00PM"
                                                    << "none";
        QTest::newRow("Day 1") << "Day 1"
                               << "none";
        QTest::newRow("am and pm") << "1:00ampm"
                                   << "bad";
        QTest::newRow("hour 13") << "13:00pm"
                                 << "bad";
        QTest::newRow("minute 60") << "1:60am"
                                   << "bad";
        QTest::newRow("one-digit minute") << "1:5am"
                                          << "bad";
        QTest::newRow("words with am") << "Tentative am"
                                       << "bad";
    }
    void times()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        const auto t = CalendarMerge::feedTime(text);
        if (expected == QLatin1String("bad")) {
            QVERIFY(!t);
            return;
        }
        QVERIFY(t);
        QCOMPARE(t->hasClock, expected != QLatin1String("none"));
        QCOMPARE(t->time.toString(QStringLiteral("HH:mm")), t->hasClock ? expected : QStringLiteral("00:00"));
    }
};

QTEST_GUILESS_MAIN(TestCalendarMerge)
#include "test_calendar_merge.moc"
