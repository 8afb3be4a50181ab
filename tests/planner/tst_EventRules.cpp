// Date arithmetic of the planner: due test, allowed occurrences, shifts and the storing rules.
#include "planner/EventRules.h"
#include "planner/PlannerTexts.h"

#include "FakeServices.h"

#include <QtTest>

#include <limits>

namespace {

PlannerEvent eventAt(const QDate &date, const QTime &time)
{
    PlannerEvent e;
    e.id = 1;
    e.data = date;
    e.time = time;
    return e;
}

QDateTime at(int y, int mo, int d, int h, int mi, int s = 0)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s));
}

} // namespace

class TestEventRules : public QObject
{
    Q_OBJECT
private slots:
    void due_data()
    {
        QTest::addColumn<QDateTime>("moment");
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<bool>("due");
        const QDateTime ten = at(2026, 3, 5, 10, 0, 0);
        QTest::newRow("one second before") << ten << at(2026, 3, 5, 9, 59, 59) << false;
        QTest::newRow("on the second") << ten << ten << true;
        QTest::newRow("first scan after") << ten << at(2026, 3, 5, 10, 0, 9) << true;
        QTest::newRow("yesterday, later hour today") << ten << at(2026, 3, 6, 9, 0, 0) << true;
        QTest::newRow("tomorrow, earlier hour") << ten << at(2026, 3, 4, 23, 0, 0) << false;
    }
    void due()
    {
        QFETCH(QDateTime, moment);
        QFETCH(QDateTime, now);
        QFETCH(bool, due);
        QCOMPARE(EventRules::isDue(eventAt(moment.date(), moment.time()), now), due);
    }

    void emptyDateIsLongDue()
    {
        PlannerEvent e;
        e.data = QDate();
        QVERIFY(EventRules::isDue(e, at(2026, 3, 5, 0, 0, 0)));
    }

    void allowed_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QTime>("time");
        QTest::addColumn<int>("dayFlag");
        QTest::addColumn<QTime>("start");
        QTest::addColumn<QTime>("end");
        QTest::addColumn<bool>("allowed");
        // 2026-03-08 is a Sunday (Day1), 2026-03-07 a Saturday (Day7).
        QTest::newRow("sunday flag on sunday")
            << QDate(2026, 3, 8) << QTime(10, 0) << 1 << QTime(0, 0) << QTime(23, 59, 59) << true;
        QTest::newRow("saturday flag on saturday")
            << QDate(2026, 3, 7) << QTime(10, 0) << 7 << QTime(0, 0) << QTime(23, 59, 59) << true;
        QTest::newRow("monday flag on sunday")
            << QDate(2026, 3, 8) << QTime(10, 0) << 2 << QTime(0, 0) << QTime(23, 59, 59) << false;
        QTest::newRow("no flag") << QDate(2026, 3, 8) << QTime(10, 0) << 0 << QTime(0, 0) << QTime(23, 59, 59) << false;
        QTest::newRow("window start inclusive")
            << QDate(2026, 3, 8) << QTime(9, 0) << 1 << QTime(9, 0) << QTime(18, 0) << true;
        QTest::newRow("window end inclusive")
            << QDate(2026, 3, 8) << QTime(18, 0) << 1 << QTime(9, 0) << QTime(18, 0) << true;
        QTest::newRow("one second past the end")
            << QDate(2026, 3, 8) << QTime(18, 0, 1) << 1 << QTime(9, 0) << QTime(18, 0) << false;
        QTest::newRow("start after end") << QDate(2026, 3, 8) << QTime(12, 0) << 1 << QTime(18, 0) << QTime(9, 0)
                                         << false;
    }
    void allowed()
    {
        QFETCH(QDate, date);
        QFETCH(QTime, time);
        QFETCH(int, dayFlag);
        QFETCH(QTime, start);
        QFETCH(QTime, end);
        QFETCH(bool, allowed);
        PlannerEvent e = eventAt(date, time);
        e.repeat = true;
        if (dayFlag > 0)
            e.days[size_t(dayFlag - 1)] = true;
        e.repeatHourStart = start;
        e.repeatHourEnd = end;
        QCOMPARE(EventRules::eventAllowed(e), allowed);
    }

    void shift_data()
    {
        QTest::addColumn<QDateTime>("moment");
        QTest::addColumn<int>("amount");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<int>("repeatValue");
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QDateTime>("expected");

        // The present is well before the moments, so only the first step is taken.
        const QDateTime early = at(2020, 1, 1, 0, 0);
        QTest::newRow("23:50 plus 15 min crosses midnight")
            << at(2026, 3, 5, 23, 50) << 15 << "min" << 14 << early << at(2026, 3, 6, 0, 5);
        QTest::newRow("31 January plus 1 month")
            << at(2026, 1, 31, 9, 0) << 1 << "month" << 0 << early << at(2026, 2, 28, 9, 0);
        QTest::newRow("31 January plus 1 month, leap year")
            << at(2028, 1, 31, 9, 0) << 1 << "month" << 0 << early << at(2028, 2, 29, 9, 0);
        QTest::newRow("31 March plus 1 month")
            << at(2026, 3, 31, 9, 0) << 1 << "month" << 0 << early << at(2026, 4, 30, 9, 0);
        QTest::newRow("hours across year end")
            << at(2026, 12, 31, 22, 30, 15) << 3 << "hour" << 2 << early << at(2027, 1, 1, 1, 30, 15);
        QTest::newRow("seconds are kept")
            << at(2026, 3, 5, 10, 0, 42) << 5 << "min" << 4 << early << at(2026, 3, 5, 10, 5, 42);

        // Shifts that have to catch up with the present.
        QTest::newRow("daily missed yesterday lands on today, even if past")
            << at(2026, 3, 4, 9, 0) << 1 << "day" << 0 << at(2026, 3, 5, 15, 0) << at(2026, 3, 5, 9, 0);
        QTest::newRow("daily missed for a week")
            << at(2026, 2, 26, 9, 0) << 1 << "day" << 0 << at(2026, 3, 5, 15, 0) << at(2026, 3, 5, 9, 0);
        QTest::newRow("30 minutes missed for days lands on its grid")
            << at(2026, 2, 20, 8, 10) << 30 << "min" << 29 << at(2026, 3, 5, 15, 0, 5) << at(2026, 3, 5, 15, 10);
        QTest::newRow("hourly missed for a month")
            << at(2026, 2, 1, 7, 20) << 1 << "hour" << 0 << at(2026, 3, 5, 15, 0) << at(2026, 3, 5, 15, 20);
        QTest::newRow("minute grid: equal to now ends the shift")
            << at(2026, 3, 5, 14, 0) << 30 << "min" << 29 << at(2026, 3, 5, 15, 0) << at(2026, 3, 5, 15, 0);
        QTest::newRow("monthly missed for a year keeps its clamped day")
            << at(2025, 1, 31, 9, 0) << 1 << "month" << 0 << at(2026, 3, 5, 15, 0) << at(2026, 3, 28, 9, 0);
        // Snoozes: the delay counts from the event's moment, later steps use the event's own step.
        QTest::newRow("snooze 15 min on time")
            << at(2026, 3, 5, 10, 0) << 15 << "min" << 0 << at(2026, 3, 5, 10, 0, 5) << at(2026, 3, 5, 10, 15);
        QTest::newRow("tomorrow on an event two days late comes back today")
            << at(2026, 3, 3, 9, 0) << 1 << "day" << 0 << at(2026, 3, 5, 15, 0) << at(2026, 3, 5, 9, 0);
        QTest::newRow("snooze 1 hour on an old event goes on by its own step of 5, counted in hours")
            << at(2026, 3, 5, 12, 0) << 1 << "hour" << 4 << at(2026, 3, 5, 15, 2) << at(2026, 3, 5, 18, 0);
    }
    void shift()
    {
        QFETCH(QDateTime, moment);
        QFETCH(int, amount);
        QFETCH(QString, unit);
        QFETCH(int, repeatValue);
        QFETCH(QDateTime, now);
        QFETCH(QDateTime, expected);
        PlannerEvent e = eventAt(moment.date(), moment.time());
        e.repeatValue = repeatValue;
        const auto u = EventRules::unitFromName(unit);
        QVERIFY(u.has_value());
        EventRules::shift(e, amount, *u, now);
        QCOMPARE(QDateTime(e.data, e.time), expected);
    }

    void longMissedMinuteEventTakesAboutTwoDaysOfSteps()
    {
        PlannerEvent e = eventAt(QDate(2016, 1, 1), QTime(0, 0));
        e.repeatValue = 0;
        const int steps = EventRules::shift(e, 1, ShiftUnit::Minutes, at(2026, 3, 5, 12, 0, 30));
        QVERIFY2(steps <= 2 * 1440 + 2, qPrintable(QString::number(steps)));
        QCOMPARE(QDateTime(e.data, e.time), at(2026, 3, 5, 12, 1));
    }

    void damagedRepeatValuesStillMoveForward_data()
    {
        QTest::addColumn<int>("repeatValue");
        QTest::addColumn<QDate>("expected");
        // Missed since 3 March, found on 5 March: one day, then the event's own step while still past.
        QTest::newRow("negative steps by one") << -7 << QDate(2026, 3, 5);
        QTest::newRow("largest integer stays a date")
            << std::numeric_limits<int>::max() << QDate(2026, 3, 4).addDays(1000000);
    }
    void damagedRepeatValuesStillMoveForward()
    {
        QFETCH(int, repeatValue);
        QFETCH(QDate, expected);
        PlannerEvent e = eventAt(QDate(2026, 3, 3), QTime(9, 0));
        e.repeatValue = repeatValue;
        EventRules::shift(e, 1, ShiftUnit::Days, at(2026, 3, 5, 15, 0));
        QCOMPARE(e.data, expected);
        QVERIFY(e.data.isValid());
    }

    void unitNames()
    {
        QCOMPARE(EventRules::unitFromName(QStringLiteral("min")), ShiftUnit::Minutes);
        QCOMPARE(EventRules::unitFromName(QStringLiteral("month")), ShiftUnit::Months);
        QVERIFY(!EventRules::unitFromName(QStringLiteral("week")).has_value());
        QCOMPARE(EventRules::unitOfRepeat(7), ShiftUnit::Months);
    }

    void storingRules_data()
    {
        QTest::addColumn<int>("tip");
        QTest::addColumn<bool>("repeat");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("reminder, empty") << 0 << false << ""
                                         << "Запланировано событие на 12.09.2012 9:05";
        QTest::newRow("reminder, blanks, repeating") << 0 << true << "   "
                                                     << "Запланировано периодическое событие c 12.09.2012 9:05";
        QTest::newRow("reminder keeps its text") << 0 << false << "Позвонить"
                                                 << "Позвонить";
        QTest::newRow("launch keeps its path") << 1 << false << "/usr/bin/xterm"
                                               << "/usr/bin/xterm";
        QTest::newRow("power-off replaces the text") << 2 << false << "Позвонить"
                                                     << "Выключить компьютер 12.09.2012 в 9:05";
        QTest::newRow("sleep keeps an empty text") << 3 << false << ""
                                                   << "";
    }
    void storingRules()
    {
        QFETCH(int, tip);
        QFETCH(bool, repeat);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        FakeClock clock;
        PlannerEvent e = eventAt(QDate(2012, 9, 12), QTime(9, 5, 0));
        e.tip = tip;
        e.repeat = repeat;
        e.execute = text;
        EventRules::applyStoringRules(e, PlannerTexts(), clock);
        QCOMPARE(e.execute, expected);
    }

    void storingRulesUseLanguageAndCutToFieldSize()
    {
        FakeClock clock;
        PlannerTexts texts([](const QString &key) {
            return key == QLatin1String("Combobox2Items2") ? QString(300, QLatin1Char('x')) : QString();
        });
        PlannerEvent e = eventAt(QDate(2012, 9, 12), QTime(23, 30, 0));
        e.tip = 2;
        EventRules::applyStoringRules(e, texts, clock);
        QCOMPARE(e.execute.size(), EventRules::executeSize);
        e.tip = 0;
        e.execute.clear();
        EventRules::applyStoringRules(e, texts, clock);
        QCOMPARE(e.execute, QStringLiteral("Запланировано событие на 12.09.2012 23:30"));
    }
};

QTEST_GUILESS_MAIN(TestEventRules)
#include "tst_EventRules.moc"
