// The one-second tick: its order, the daily greeting's date, the scheduler's delayed start and the labels.
#include "FakeServices.h"
#include "app/ProgramValues.h"
#include "clock/ClockFace.h"
#include "clock/ClockTicker.h"

#include <QSignalSpy>
#include <QTest>

namespace {

/// A ticker on a fake clock whose every hook writes into one journal, so the order shows.
struct TickFixture
{
    FakeClock clock{QDateTime(QDate(2026, 3, 5), QTime(14, 28, 30))};
    ProgramValues values;
    ClockTicker ticker{clock, values};
    QStringList journal;
    bool greetingFails = false;
    QDate dateSeenBySave;

    TickFixture()
    {
        values.versionLabelText = QStringLiteral("Veltrane 2.1.0.2");
        values.lastGreetingDate = QDate(2026, 3, 4);
        ticker.setTrimWorkingSet([this] {
            journal << QStringLiteral("trim");
        });
        ticker.setSayGreeting([this] {
            journal << QStringLiteral("greeting");
            if (greetingFails)
                throw Failure(QStringLiteral("speech service unreachable"));
        });
        ticker.setSaveSettings([this] {
            journal << QStringLiteral("save");
            dateSeenBySave = values.lastGreetingDate;
        });
        ticker.setReportFailure([this](const QString &text) {
            journal << QStringLiteral("failure: ") + text;
        });
        QObject::connect(&ticker, &ClockTicker::alarmStartDue, [this] {
            journal << QStringLiteral("alarm");
        });
        QObject::connect(&ticker, &ClockTicker::labelsChanged, [this] {
            journal << QStringLiteral("labels");
        });
    }

    void tick(int times)
    {
        for (int i = 0; i < times; ++i) {
            clock.advanceSecs(1);
            ticker.tick();
        }
    }
    /// Journal entries other than the per-tick trim and labels.
    QStringList events() const
    {
        QStringList e = journal;
        e.removeAll(QStringLiteral("trim"));
        e.removeAll(QStringLiteral("labels"));
        return e;
    }
};

} // namespace

class TestClockTicker : public QObject
{
    Q_OBJECT
private slots:
    void labelTexts_data();
    void labelTexts();
    void everyTickTrimsFirstAndEndsWithTheLabels();
    void tenthTickGreetsThenRecordsTheDateThenSaves();
    void dayAlreadyGreetedDoesNothing();
    void failedGreetingLeavesTheDateAndSkipsTheRestOfTheTick();
    void failureWithoutReporterReachesTheCaller();
    void alarmStartsOnceOnTheThirtiethTick();
    void ticksNestedInAGreetingStartTheSchedulerOnce();
    void timerDrivesTheTick();
    void currentHourIgnoresTheTimeFormat_data();
    void currentHourIgnoresTheTimeFormat();
};

void TestClockTicker::labelTexts_data()
{
    QTest::addColumn<QDateTime>("local");
    QTest::addColumn<int>("offsetSeconds");
    QTest::addColumn<int>("daylightSeconds");
    QTest::addColumn<QString>("localText");
    QTest::addColumn<QString>("localHint");
    QTest::addColumn<QString>("utcText");
    QTest::addColumn<QString>("utcHint");

    QTest::newRow("leading zeros and four-digit year")
        << QDateTime(QDate(2012, 3, 5), QTime(14, 7, 9)) << 3 * 3600 << 0 << "14:07:09"
        << "Local 05.03.2012 14:07"
        << "11:07:09"
        << "UTC 05.03.2012 11:07";
    QTest::newRow("UTC on the day before")
        << QDateTime(QDate(2027, 1, 1), QTime(1, 30, 0)) << 3 * 3600 << 0 << "01:30:00"
        << "Local 01.01.2027 01:30"
        << "22:30:00"
        << "UTC 31.12.2026 22:30";
    QTest::newRow("UTC on the day after")
        << QDateTime(QDate(2026, 2, 28), QTime(20, 0, 5)) << -5 * 3600 << 0 << "20:00:05"
        << "Local 28.02.2026 20:00"
        << "01:00:05"
        << "UTC 01.03.2026 01:00";
    QTest::newRow("daylight saving counts between the labels")
        << QDateTime(QDate(2026, 7, 1), QTime(12, 0, 0)) << 3600 << 3600 << "12:00:00"
        << "Local 01.07.2026 12:00"
        << "10:00:00"
        << "UTC 01.07.2026 10:00";
    QTest::newRow("midnight") << QDateTime(QDate(2026, 3, 5), QTime(0, 0, 0)) << 0 << 0 << "00:00:00"
                              << "Local 05.03.2026 00:00"
                              << "00:00:00"
                              << "UTC 05.03.2026 00:00";
}

void TestClockTicker::labelTexts()
{
    QFETCH(QDateTime, local);
    QFETCH(int, offsetSeconds);
    QFETCH(int, daylightSeconds);

    // Through the tick itself, so the clock's local and UTC readings are what reaches the labels.
    FakeClock clock(local.addSecs(-1), offsetSeconds);
    clock.setDaylightSeconds(daylightSeconds);
    ProgramValues values;
    values.versionLabelText = QStringLiteral("Veltrane 2.1.0.2");
    values.lastGreetingDate = local.date();
    ClockTicker ticker(clock, values);
    ticker.setTrimWorkingSet({});
    QSignalSpy spy(&ticker, &ClockTicker::labelsChanged);
    clock.advanceSecs(1);
    ticker.tick();

    QCOMPARE(spy.count(), 1);
    const ClockLabels l = spy.first().first().value<ClockLabels>();
    QFETCH(QString, localText);
    QFETCH(QString, localHint);
    QFETCH(QString, utcText);
    QFETCH(QString, utcHint);
    QCOMPARE(l.localText, localText);
    QCOMPARE(l.localHint, localHint);
    QCOMPARE(l.utcText, utcText);
    QCOMPARE(l.utcHint, utcHint);
    QCOMPARE(l.captionText, QStringLiteral("Veltrane 2.1.0.2"));
    QCOMPARE(ticker.labels(), l);
}

void TestClockTicker::everyTickTrimsFirstAndEndsWithTheLabels()
{
    TickFixture f;
    f.values.lastGreetingDate = f.clock.today();
    f.tick(3);
    QCOMPARE(f.journal, (QStringList{"trim", "labels", "trim", "labels", "trim", "labels"}));
    QCOMPARE(f.ticker.clockTicks(), 3);
}

void TestClockTicker::tenthTickGreetsThenRecordsTheDateThenSaves()
{
    TickFixture f;
    f.tick(9);
    QVERIFY(f.events().isEmpty());
    QCOMPARE(f.values.lastGreetingDate, QDate(2026, 3, 4));

    f.journal.clear();
    f.tick(1);
    QCOMPARE(f.journal, (QStringList{"trim", "greeting", "save", "labels"}));
    QCOMPARE(f.values.lastGreetingDate, QDate(2026, 3, 5));
    QCOMPARE(f.dateSeenBySave, QDate(2026, 3, 5)); // the save stores the new date

    // Only the tenth tick looks at the date: a run that crosses midnight does not greet again.
    f.journal.clear();
    f.clock.advanceSecs(24 * 3600);
    f.tick(25);
    QCOMPARE(f.events(), QStringList{"alarm"});
}

void TestClockTicker::dayAlreadyGreetedDoesNothing()
{
    TickFixture f;
    f.values.lastGreetingDate = QDate(2026, 3, 5);
    f.tick(12);
    QVERIFY(f.events().isEmpty());
    QCOMPARE(f.values.lastGreetingDate, QDate(2026, 3, 5));
}

void TestClockTicker::failedGreetingLeavesTheDateAndSkipsTheRestOfTheTick()
{
    TickFixture f;
    f.greetingFails = true;
    f.tick(9);
    const ClockLabels before = f.ticker.labels();
    f.journal.clear();
    f.tick(1);

    // No date, no save, no labels this second; the failure goes to the user.
    QCOMPARE(f.journal, (QStringList{"trim", "greeting", "failure: speech service unreachable"}));
    QCOMPARE(f.values.lastGreetingDate, QDate(2026, 3, 4));
    QCOMPARE(f.ticker.labels(), before);

    // The next ticks go on as usual and do not try again; the scheduler still starts.
    f.journal.clear();
    f.tick(20);
    QCOMPARE(f.events(), QStringList{"alarm"});
    QCOMPARE(f.journal.count(QStringLiteral("labels")), 20);
    QCOMPARE(f.values.lastGreetingDate, QDate(2026, 3, 4));
}

void TestClockTicker::failureWithoutReporterReachesTheCaller()
{
    FakeClock clock;
    ProgramValues values;
    ClockTicker ticker(clock, values);
    ticker.setTrimWorkingSet({});
    ticker.setSayGreeting([] {
        throw Failure(QStringLiteral("no"));
    });
    for (int i = 1; i < ClockTicker::GreetingTick; ++i)
        ticker.tick();
    QVERIFY_THROWS_EXCEPTION(Failure, ticker.tick());
    QCOMPARE(values.lastGreetingDate, QDate(2012, 1, 1));
}

void TestClockTicker::alarmStartsOnceOnTheThirtiethTick()
{
    TickFixture f;
    f.values.lastGreetingDate = f.clock.today();
    QSignalSpy spy(&f.ticker, &ClockTicker::alarmStartDue);
    f.tick(29);
    QCOMPARE(spy.count(), 0);
    f.tick(1);
    QCOMPARE(spy.count(), 1);
    f.tick(500);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(f.ticker.clockTicks(), 530);
}

void TestClockTicker::ticksNestedInAGreetingStartTheSchedulerOnce()
{
    // The greeting's download keeps serving the timers: twenty more ticks run inside it, the 30th among them.
    TickFixture f;
    f.ticker.setSayGreeting([&f] {
        f.journal << QStringLiteral("greeting starts");
        f.tick(20);
        f.journal << QStringLiteral("greeting ends");
    });
    f.tick(10);
    QCOMPARE(f.events(), (QStringList{"greeting starts", "alarm", "greeting ends", "save"}));
    QCOMPARE(f.ticker.clockTicks(), 30);
    QCOMPARE(f.values.lastGreetingDate, QDate(2026, 3, 5));
    f.tick(40);
    QCOMPARE(f.events().count(QStringLiteral("alarm")), 1);
    QCOMPARE(f.events().count(QStringLiteral("greeting starts")), 1);
}

void TestClockTicker::timerDrivesTheTick()
{
    FakeClock clock;
    ProgramValues values;
    values.lastGreetingDate = clock.today();
    ClockTicker ticker(clock, values);
    QCOMPARE(ClockTicker::IntervalMs, 1000);
    QSignalSpy spy(&ticker, &ClockTicker::labelsChanged);
    ticker.start();
    QVERIFY(ticker.isActive());
    QVERIFY(spy.wait(5000)); // the real trim runs here too
    QCOMPARE(ticker.clockTicks(), spy.count());
    ticker.stop();
    QVERIFY(!ticker.isActive());
}

void TestClockTicker::currentHourIgnoresTheTimeFormat_data()
{
    QTest::addColumn<QTime>("time");
    QTest::addColumn<QString>("format");
    QTest::addColumn<int>("hour");
    QTest::addColumn<int>("minute");

    // A 12-hour format used to give 2 at 14:05 and highlight the wrong hour.
    QTest::newRow("afternoon, 12-hour format") << QTime(14, 5, 7) << "h:mm:ss AP" << 14 << 5;
    QTest::newRow("midnight, 12-hour format") << QTime(0, 0, 0) << "h:mm:ss AP" << 0 << 0;
    QTest::newRow("noon, 12-hour format") << QTime(12, 30, 0) << "h:mm:ss AP" << 12 << 30;
    QTest::newRow("no leading zero") << QTime(9, 5, 7) << "H:mm:ss" << 9 << 5;
    QTest::newRow("last minute of the day") << QTime(23, 59, 59, 999) << "HH:mm:ss" << 23 << 59;
}

void TestClockTicker::currentHourIgnoresTheTimeFormat()
{
    QFETCH(QTime, time);
    QFETCH(QString, format);
    FakeClock clock(QDateTime(QDate(2026, 3, 5), time));
    clock.setFormats(QStringLiteral("M/d/yy"), format);
    QFETCH(int, hour);
    QFETCH(int, minute);
    QCOMPARE(ClockFace::CurrentHour(clock), hour);
    QCOMPARE(ClockFace::CurrentMinute(clock), minute);
}

QTEST_GUILESS_MAIN(TestClockTicker)
#include "test_clock_ticker.moc"
