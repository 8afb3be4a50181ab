// The one-second tick: its order, the daily greeting's date, the scheduler's delayed start and the labels.
#include "FakeServices.h"
#include "LoopbackHttpServer.h"
#include "TempAppDir.h"
#include "clock/ClockFace.h"
#include "clock/ClockTicker.h"
#include "clock/Greeting.h"
#include "clock/Voice.h"
#include "online/HttpGetClient.h"
#include "platform/Mp3Player.h"

#include <QSignalSpy>
#include <QTest>

namespace {

/// The two program-wide values the ticker is handed, at their start-up defaults.
struct TickerValues
{
    QDate lastGreetingDate{2012, 1, 1};
    QString versionLabelText;
};

class FakePlayer : public Mp3Player
{
public:
    void close() override {}
    void play(const QString &) override {}
};

/// A ticker on a fake clock whose every hook writes into one journal, so the order shows. The greeting waits
/// until the test answers it, like a download on its way.
struct TickFixture
{
    FakeClock clock{QDateTime(QDate(2026, 3, 5), QTime(14, 28, 30))};
    TickerValues values;
    ClockTicker ticker{clock, values.lastGreetingDate, values.versionLabelText};
    QStringList journal;
    Speech::Done greeting;
    QDate dateSeenBySave;

    TickFixture()
    {
        values.versionLabelText = QStringLiteral("Veltrane 2.1.0.2");
        values.lastGreetingDate = QDate(2026, 3, 4);
        ticker.setTrimWorkingSet([this] {
            journal << QStringLiteral("trim");
        });
        ticker.setSayGreeting([this](const QObject *, Speech::Done done) {
            journal << QStringLiteral("greeting");
            greeting = std::move(done);
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
    /// The greeting's download ends (with a failure's text, or spoken), and the event loop runs on.
    void answerGreeting(const QString &failure = {})
    {
        QVERIFY(greeting);
        std::exchange(greeting, {})(Speech::Result{!failure.isEmpty(), failure});
        QCoreApplication::processEvents();
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
    void labelsFollowEveryChangeOverSuccessiveTicks();
    void everyTickTrimsFirstAndEndsWithTheLabels();
    void tenthTickGreetsThenRecordsTheDateThenSaves();
    void dayAlreadyGreetedDoesNothing();
    void failedGreetingLeavesTheDateAndIsReportedOnce();
    void failedSaveAfterTheGreetingIsReported();
    void failureInsideTheTickIsReportedAfterIt();
    void failureWithoutReporterReachesTheCaller();
    void alarmStartsOnceOnTheThirtiethTick();
    void ticksGoOnWhileTheGreetingDownloads();
    void tickKeepsFiringWhileTheSpeechServiceIsSilentAndItsBoxIsUp();
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
    TickerValues values;
    values.versionLabelText = QStringLiteral("Veltrane 2.1.0.2");
    values.lastGreetingDate = local.date();
    ClockTicker ticker(clock, values.lastGreetingDate, values.versionLabelText);
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

void TestClockTicker::labelsFollowEveryChangeOverSuccessiveTicks()
{
    // The ticker keeps the minute hints of the last tick; each step must still give what a fresh format gives.
    struct Step
    {
        const char *what;
        QDateTime local;
        int offsetSeconds;
        const char *caption;
    };
    const QDate day(2026, 12, 31);
    const Step steps[] = {
        {"first tick", QDateTime(day, QTime(23, 58, 58)), 3 * 3600, "Veltrane 2.1.0.2"},
        {"same minute", QDateTime(day, QTime(23, 58, 59)), 3 * 3600, "Veltrane 2.1.0.2"},
        {"next minute", QDateTime(day, QTime(23, 59, 0)), 3 * 3600, "Veltrane 2.1.0.2"},
        {"next year", QDateTime(QDate(2027, 1, 1), QTime(0, 0, 0)), 3 * 3600, "Veltrane 2.1.0.2"},
        {"clock set back an hour, same minute", QDateTime(QDate(2027, 1, 1), QTime(23, 0, 3)), 3 * 3600,
         "Veltrane 2.1.0.2"},
        {"a day on, same time of day", QDateTime(QDate(2027, 1, 2), QTime(23, 0, 4)), 3 * 3600, "Veltrane 2.1.0.2"},
        {"zone changed within the local minute", QDateTime(QDate(2027, 1, 2), QTime(23, 0, 5)), 5 * 3600,
         "Veltrane 2.1.0.2"},
        {"caption changed", QDateTime(QDate(2027, 1, 2), QTime(23, 0, 6)), 5 * 3600, "Версия 2.1.0.2"},
    };
    FakeClock clock(steps[0].local, steps[0].offsetSeconds);
    TickerValues values;
    values.lastGreetingDate = steps[0].local.date();
    ClockTicker ticker(clock, values.lastGreetingDate, values.versionLabelText);
    ticker.setTrimWorkingSet({});
    QSignalSpy spy(&ticker, &ClockTicker::labelsChanged);
    for (const Step &step : steps) {
        clock.setLocal(step.local);
        clock.setOffsetSeconds(step.offsetSeconds);
        values.versionLabelText = QString::fromUtf8(step.caption);
        ticker.tick();
        const ClockLabels expected
            = ClockTicker::formatLabels(clock.localNow(), clock.utcNow(), values.versionLabelText);
        QVERIFY2(ticker.labels() == expected,
                 qPrintable(QStringLiteral("%1: got %2 | %3, expected %4 | %5")
                                .arg(QString::fromUtf8(step.what), ticker.labels().localHint, ticker.labels().utcHint,
                                     expected.localHint, expected.utcHint)));
        QCOMPARE(spy.takeFirst().first().value<ClockLabels>(), expected);
    }
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

    // The tenth tick only starts the greeting and goes on to its labels.
    f.journal.clear();
    f.tick(1);
    QCOMPARE(f.journal, (QStringList{"trim", "greeting", "labels"}));
    QCOMPARE(f.values.lastGreetingDate, QDate(2026, 3, 4));

    // Spoken: the date is recorded, then saved.
    f.answerGreeting();
    QCOMPARE(f.events(), (QStringList{"greeting", "save"}));
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

void TestClockTicker::failedGreetingLeavesTheDateAndIsReportedOnce()
{
    TickFixture f;
    f.tick(12);
    f.answerGreeting(QStringLiteral("speech service unreachable"));

    // No date, no save; the failure goes to the user once, and the ticks never stopped.
    QCOMPARE(f.events(), (QStringList{"greeting", "failure: speech service unreachable"}));
    QCOMPARE(f.values.lastGreetingDate, QDate(2026, 3, 4));
    QCOMPARE(f.journal.count(QStringLiteral("labels")), 12);

    // The next ticks go on as usual and do not try again; the scheduler still starts.
    f.journal.clear();
    f.tick(20);
    QCOMPARE(f.events(), QStringList{"alarm"});
    QCOMPARE(f.journal.count(QStringLiteral("labels")), 20);
    QCOMPARE(f.values.lastGreetingDate, QDate(2026, 3, 4));
}

void TestClockTicker::failedSaveAfterTheGreetingIsReported()
{
    TickFixture f;
    f.ticker.setSaveSettings([&f] {
        f.journal << QStringLiteral("save");
        throw Failure(QStringLiteral("Unable to write to veltrane.ini"));
    });
    f.tick(10);
    f.answerGreeting();
    QCOMPARE(f.events(), (QStringList{"greeting", "save", "failure: Unable to write to veltrane.ini"}));
}

void TestClockTicker::failureInsideTheTickIsReportedAfterIt()
{
    // A failure raised inside the tick ends that tick; the report comes once the tick's slot has returned,
    // so an error box never holds the timer.
    TickFixture f;
    f.ticker.setSayGreeting([&f](const QObject *, Speech::Done) {
        f.journal << QStringLiteral("greeting");
        throw Failure(QStringLiteral("no"));
    });
    f.tick(10);
    QCOMPARE(f.journal.mid(f.journal.size() - 2), (QStringList{"trim", "greeting"}));
    QCoreApplication::processEvents();
    QCOMPARE(f.journal.last(), QStringLiteral("failure: no"));
    QCOMPARE(f.values.lastGreetingDate, QDate(2026, 3, 4));
}

void TestClockTicker::failureWithoutReporterReachesTheCaller()
{
    FakeClock clock;
    TickerValues values;
    ClockTicker ticker(clock, values.lastGreetingDate, values.versionLabelText);
    ticker.setTrimWorkingSet({});
    ticker.setSayGreeting([](const QObject *, Speech::Done) {
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

void TestClockTicker::ticksGoOnWhileTheGreetingDownloads()
{
    // The greeting's recording takes half a minute: every tick still shows the time, the 30th starts the
    // scheduler, and the greeting is neither started again nor recorded before it ends.
    TickFixture f;
    f.tick(40);
    QCOMPARE(f.events(), (QStringList{"greeting", "alarm"}));
    QCOMPARE(f.journal.count(QStringLiteral("labels")), 40);
    QCOMPARE(f.values.lastGreetingDate, QDate(2026, 3, 4));
    f.answerGreeting();
    QCOMPARE(f.events(), (QStringList{"greeting", "alarm", "save"}));
    QCOMPARE(f.values.lastGreetingDate, QDate(2026, 3, 5));
}

void TestClockTicker::tickKeepsFiringWhileTheSpeechServiceIsSilentAndItsBoxIsUp()
{
    // The real greeting and voice against a speech service that accepts and never answers. A fast timer
    // stands in for Timer2: Qt does not fire a timer again while its slot still runs, so a tick that waited
    // for the download, or for the failure's box, would stop this timer.
    LoopbackHttpServer server;
    QVERIFY(server.listen());
    server.setHandler([](const LoopbackHttpServer::Request &) {
        return LoopbackHttpServer::silent();
    });
    TempAppDir dir;
    FakeServices fakes;
    fakes.net.online = true;
    HttpGetClient http({1000, 1200});
    FakePlayer player;
    Voice voice(&fakes.net, &http, &player, dir.appDir(), server.url());
    voice.setVoiceLang(QStringLiteral("ru"));
    Greeting greeting(&fakes.clock, &voice, [](const QString &key) {
        return key;
    });
    greeting.setVoiceLang(QStringLiteral("ru"));

    TickerValues values;
    values.lastGreetingDate = QDate(2026, 3, 4);
    ClockTicker ticker(fakes.clock, values.lastGreetingDate, values.versionLabelText);
    ticker.setSayGreeting([&greeting](const QObject *context, Speech::Done done) {
        greeting.sayGreeting(context, std::move(done));
    });
    int ticksDuringDownload = -1;
    int ticksDuringBox = -1;
    QStringList reports;
    ticker.setReportFailure([&](const QString &text) {
        reports << text;
        ticksDuringDownload = ticker.clockTicks() - ClockTicker::GreetingTick;
        // An error box: a nested loop the user closes after a while.
        const int before = ticker.clockTicks();
        QEventLoop box;
        QTimer::singleShot(500, &box, &QEventLoop::quit);
        box.exec();
        ticksDuringBox = ticker.clockTicks() - before;
    });
    QTimer timer2;
    QObject::connect(&timer2, &QTimer::timeout, &ticker, &ClockTicker::tick);
    timer2.start(20);
    QTRY_VERIFY_WITH_TIMEOUT(ticksDuringBox >= 0, 20000);
    timer2.stop();

    QCOMPARE(reports, QStringList{QStringLiteral("Read timed out.")});
    QCOMPARE(server.requests().size(), 1);
    QCOMPARE(values.lastGreetingDate, QDate(2026, 3, 4));
    QVERIFY2(ticksDuringDownload >= 3, qPrintable(QString::number(ticksDuringDownload)));
    QVERIFY2(ticksDuringBox >= 3, qPrintable(QString::number(ticksDuringBox)));
}

void TestClockTicker::timerDrivesTheTick()
{
    FakeClock clock;
    TickerValues values;
    values.lastGreetingDate = clock.today();
    ClockTicker ticker(clock, values.lastGreetingDate, values.versionLabelText);
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
