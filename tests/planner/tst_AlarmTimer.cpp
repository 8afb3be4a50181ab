// The scheduler on a fake clock: which events fire, when, how they move, and what a scan leaves behind.
#include "LoopbackHttpServer.h"
#include "PlannerFixture.h"
#include "clock/Voice.h"
#include "online/HttpGetClient.h"
#include "platform/Mp3Player.h"

#include "TableQuery.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

QDateTime at(int d, int h, int mi, int s = 0, int mo = 3)
{
    return QDateTime(QDate(2026, mo, d), QTime(h, mi, s));
}

class RecordingPlayer : public Mp3Player
{
public:
    QStringList played;
    void close() override {}
    void play(const QString &filePath) override { played << filePath; }
};

} // namespace

class TestAlarmTimer : public QObject
{
    Q_OBJECT
private slots:
    void failingScanThrowsNothingAndIsReportedOnceAfterTheSlot()
    {
        // An event table opened without "Repeat" (the start-up refuses such a file; the store alone takes it),
        // and a bound control that reads the field whenever the controls come back, as the editor does.
        TempAppDir dir;
        QVERIFY(TableQuery::exec(
            dir.path("alarm.cds"),
            "CREATE TABLE alarm (id INTEGER PRIMARY KEY AUTOINCREMENT, Tip INTEGER, Data DATE, Time TIME, "
            "Execute VARCHAR(254), RepeatHour BOOLEAN, RepeatHourStart TIME, RepeatHourEnd TIME, RepeatValue INTEGER, "
            "RepeatValueName INTEGER, Day1 BOOLEAN, Day2 BOOLEAN, Day3 BOOLEAN, Day4 BOOLEAN, Day5 BOOLEAN, "
            "Day6 BOOLEAN, Day7 BOOLEAN); "
            "INSERT INTO alarm (Tip, Data, Time, Execute) VALUES (0, '2026-03-05', '14:29:10', 'call');"));
        DataSet alarm;
        TableSchemas::defineAlarm(alarm);
        alarm.setRequiredFields({});
        alarm.setFileName(dir.path("alarm.cds"));
        alarm.open();
        QObject::connect(&alarm, &DataSet::controlsEnabledChanged, [&alarm](bool enabled) {
            if (enabled)
                alarm.fieldByName(QStringLiteral("Repeat"));
        });
        const QByteArray before = dir.read("alarm.cds");

        for (const bool withReceiver : {true, false}) {
            FakeServices fakes;
            fakes.clock.setLocal(at(5, 15, 0));
            AlarmTimer scheduler(&alarm, fakes.services(), dir.appDir(), QStringLiteral("ru"));
            QStringList reports;
            if (withReceiver)
                QObject::connect(&scheduler, &AlarmTimer::failed, [&reports](const QString &text) {
                    reports << text;
                });
            // Called as the timer calls it; nothing may leave it, nor the guard that brings the controls back.
            scheduler.scan();
            QVERIFY(reports.isEmpty() && fakes.prompts.shown.isEmpty()); // not inside the slot
            QCoreApplication::processEvents();
            scheduler.scan();
            scheduler.scan();
            QCoreApplication::processEvents();

            QStringList shown = reports;
            for (const auto &box : std::as_const(fakes.prompts.shown))
                shown << box.text;
            QCOMPARE(shown.size(), 1);
            QVERIFY2(shown[0].contains(dir.path("alarm.cds")) && shown[0].contains("\"Repeat\""), qPrintable(shown[0]));
            QVERIFY(!scheduler.isScanning());
            QVERIFY(!alarm.controlsDisabled());
            QVERIFY(fakes.speech.calls.isEmpty());
        }
        QCOMPARE(dir.read("alarm.cds"), before);
    }

    void timerStartsStoppedAndTicksEveryTenSeconds()
    {
        TempAppDir dir;
        FakeServices fakes;
        DataSet alarm;
        TableSchemas::openAlarm(alarm, dir.appDir());
        AlarmTimer scheduler(&alarm, fakes.services(), dir.appDir(), QStringLiteral("ru"));
        QVERIFY(!scheduler.isActive());
        QCOMPARE(scheduler.timer().interval(), 10000);
        scheduler.start();
        QVERIFY(scheduler.isActive());
        scheduler.stop();
        QVERIFY(!scheduler.isActive());
    }

    void reminderFiresAtTheFirstScanAtOrAfterItsMoment_data()
    {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<bool>("fires");
        QTest::newRow("five seconds early") << at(5, 9, 59, 55) << false;
        QTest::newRow("on the second") << at(5, 10, 0, 0) << true;
        QTest::newRow("scan nine seconds later") << at(5, 10, 0, 9) << true;
        QTest::newRow("the day before") << at(4, 11, 0, 0) << false;
    }
    void reminderFiresAtTheFirstScanAtOrAfterItsMoment()
    {
        QFETCH(QDateTime, now);
        QFETCH(bool, fires);
        PlannerFixture f(now);
        const int id = f.add(PlannerFixture::event(0, at(5, 10, 0), QStringLiteral("Позвонить брокеру")));
        f.scheduler.scan();
        QCOMPARE(f.reminder.open, fires);
        QCOMPARE(f.fakes.notifier.balloons.size(), fires ? 1 : 0);
        if (!fires)
            return;
        QCOMPARE(f.reminder.id, id);
        QCOMPARE(f.reminder.caption, QStringLiteral("Напоминание: 05.03.2026 - 10:00:00"));
        QCOMPARE(f.reminder.message, QStringLiteral("Позвонить брокеру"));
        QCOMPARE(f.fakes.notifier.balloons[0].title, QStringLiteral("Напоминание"));
        QCOMPARE(f.fakes.notifier.balloons[0].seconds, 10);
        QCOMPARE(f.fakes.speech.calls.size(), 1);
        QCOMPARE(f.fakes.speech.calls[0].soundName, QStringLiteral("message%1").arg(id));
        QCOMPARE(f.fakes.speech.calls[0].refetch, false);
        // Showing does not complete: the event stays until the window acts on it.
        QVERIFY(f.find(id).has_value());
    }

    void dailyReminderMissedYesterdayFiresTwiceThenMovesToTomorrow()
    {
        PlannerFixture f(at(5, 15, 0));
        const int id = f.add(PlannerFixture::repeating(PlannerFixture::event(0, at(4, 9, 0), "Отчёт"), 2, 0));
        f.scheduler.scan();
        QCOMPARE(f.reminder.shows, 1);
        f.scheduler.closeReminder(id);
        f.reminder.open = false;
        QCOMPARE(f.momentOf(id), at(5, 9, 0));
        f.scheduler.scan();
        QCOMPARE(f.reminder.shows, 2);
        f.scheduler.closeReminder(id);
        f.reminder.open = false;
        QCOMPARE(f.momentOf(id), at(6, 9, 0));
        f.scheduler.scan();
        QCOMPARE(f.reminder.shows, 2);
    }

    void halfHourlyReminderMissedForDaysLandsOnItsGrid()
    {
        PlannerFixture f(at(5, 15, 0, 5));
        const int id = f.add(PlannerFixture::repeating(PlannerFixture::event(0, at(1, 8, 10), "Пульс"), 0, 29));
        f.scheduler.scan();
        QCOMPARE(f.reminder.shows, 1);
        f.scheduler.closeReminder(id);
        QCOMPARE(f.momentOf(id), at(5, 15, 10));
    }

    void forbiddenOccurrencesNeverFireAndTheScanEnds_data()
    {
        QTest::addColumn<int>("tip");
        QTest::addColumn<bool>("daysOff");
        for (int tip = 0; tip < 4; ++tip) {
            QTest::addRow("kind %d, no weekday", tip) << tip << true;
            QTest::addRow("kind %d, hour window inverted", tip) << tip << false;
        }
    }
    void forbiddenOccurrencesNeverFireAndTheScanEnds()
    {
        QFETCH(int, tip);
        QFETCH(bool, daysOff);
        PlannerFixture f(at(5, 8, 0));
        PlannerEvent e = PlannerFixture::repeating(PlannerFixture::event(tip, at(5, 8, 0), "/bin/true"), 0, 14);
        if (daysOff)
            e.days.fill(false);
        else {
            e.repeatHourStart = QTime(18, 0);
            e.repeatHourEnd = QTime(9, 0);
        }
        const int id = f.add(e);
        // A day of scans, one every half hour of fake time; after each the event is not behind the present.
        for (int i = 0; i < 48; ++i) {
            f.scheduler.scan();
            const auto moved = f.find(id);
            QVERIFY(moved.has_value());
            QVERIFY(QDateTime(moved->data, moved->time) >= f.fakes.clock.localNow());
            f.fakes.clock.advanceSecs(1800);
        }
        QCOMPARE(f.reminder.shows, 0);
        QVERIFY(f.fakes.notifier.balloons.isEmpty());
        QVERIFY(f.fakes.shell.opened.isEmpty());
        QVERIFY(f.fakes.speech.calls.isEmpty());
        QVERIFY(!f.countdown.isCounting());
        QCOMPARE(f.fakes.power.powerOffs + f.fakes.power.suspends, 0);
    }

    void openReminderHoldsOtherRemindersBack()
    {
        PlannerFixture f(at(5, 12, 0));
        const int first = f.add(PlannerFixture::event(0, at(5, 10, 0), "Первое"));
        const int second = f.add(PlannerFixture::event(0, at(5, 11, 0), "Второе"));
        f.scheduler.scan();
        QCOMPARE(f.reminder.id, first);
        f.scheduler.scan();
        QCOMPARE(f.reminder.shows, 1);
        QCOMPARE(f.reminder.id, first);
        QCOMPARE(f.reminder.message, QStringLiteral("Первое"));
        f.scheduler.closeReminder(first);
        f.reminder.open = false;
        QVERIFY(!f.find(first).has_value());
        f.scheduler.scan();
        QCOMPARE(f.reminder.id, second);
        QCOMPARE(f.reminder.shows, 2);
    }

    void titleBarCloseBringsTheReminderBackAtTheNextScan()
    {
        PlannerFixture f(at(5, 12, 0));
        f.add(PlannerFixture::event(0, at(5, 10, 0), "Снова"));
        f.scheduler.scan();
        f.hideReminder();
        f.fakes.clock.advanceSecs(10);
        f.scheduler.scan();
        QCOMPARE(f.reminder.shows, 2);
        QCOMPARE(f.fakes.notifier.balloons.size(), 2);
        QCOMPARE(f.fakes.speech.calls.size(), 2);
    }

    void selectedRecordIsSelectedAgainAfterTheScan_data()
    {
        QTest::addColumn<int>("selected");
        QTest::addColumn<int>("expected");
        // Rows: 0 a due one-off launch (deleted by the scan), 1 a future reminder, 2 a future launch.
        QTest::newRow("a record the scan leaves alone") << 2 << 2;
        QTest::newRow("the record the scan deletes gives the first") << 0 << 1;
    }
    void selectedRecordIsSelectedAgainAfterTheScan()
    {
        QFETCH(int, selected);
        QFETCH(int, expected);
        PlannerFixture f(at(5, 12, 0));
        const QList<int> ids = {f.add(PlannerFixture::event(1, at(5, 11, 0), "/usr/bin/xclock")),
                                f.add(PlannerFixture::event(0, at(6, 9, 0), "Завтра")),
                                f.add(PlannerFixture::event(1, at(7, 9, 0), "/usr/bin/xeyes"))};
        QVERIFY(f.alarm.locate(ids[selected]));
        f.scheduler.scan();
        QCOMPARE(f.fakes.shell.opened, QStringList{QStringLiteral("/usr/bin/xclock")});
        QCOMPARE(f.currentId(), ids[expected]);
        QVERIFY(!f.alarm.controlsDisabled());
        QVERIFY(!f.scheduler.isScanning());
    }

    void quietScanLeavesTheCursorAlone()
    {
        PlannerFixture f(at(5, 12, 0));
        f.add(PlannerFixture::event(0, at(6, 9, 0), "Завтра"));
        const int selected = f.add(PlannerFixture::event(0, at(7, 9, 0), "Послезавтра"));
        QSignalSpy scrolls(&f.alarm, &DataSet::afterScroll);
        f.scheduler.scan();
        QCOMPARE(scrolls.size(), 0);
        QCOMPARE(f.currentId(), selected);
    }

    void deletedLaunchDoesNotMakeItsNeighbourDue()
    {
        PlannerFixture f(at(5, 12, 0));
        f.add(PlannerFixture::event(1, at(5, 11, 59), "/usr/bin/xclock"));
        const int neighbour = f.add(PlannerFixture::event(1, at(5, 12, 0, 30), "/usr/bin/xeyes"));
        const int reminder = f.add(PlannerFixture::event(0, at(5, 12, 1), "Позже"));
        f.scheduler.scan();
        QCOMPARE(f.fakes.shell.opened, QStringList{QStringLiteral("/usr/bin/xclock")});
        QCOMPARE(f.momentOf(neighbour), at(5, 12, 0, 30));
        QCOMPARE(f.momentOf(reminder), at(5, 12, 1));
        QCOMPARE(f.reminder.shows, 0);
        QCOMPARE(f.alarm.recordCount(), 2);
    }

    void launchIsAnnouncedOpenedAndCompleted()
    {
        PlannerFixture f(at(5, 12, 0));
        const int id = f.add(PlannerFixture::repeating(PlannerFixture::event(1, at(5, 11, 0), "/opt/t.sh"), 1, 1));
        f.fakes.shell.accept = false; // a refused launch is completed all the same
        f.scheduler.scan();
        QCOMPARE(f.fakes.shell.opened, QStringList{QStringLiteral("/opt/t.sh")});
        QCOMPARE(f.fakes.notifier.balloons.size(), 1);
        QCOMPARE(f.fakes.notifier.balloons[0].title, QStringLiteral("Запуск приложения"));
        QCOMPARE(f.fakes.notifier.balloons[0].text, QStringLiteral("Производится запланированный запуск приложения"));
        QVERIFY(!f.fakes.notifier.showing);
        QCOMPARE(f.fakes.speech.calls[0].soundName, QStringLiteral("appStart-ru"));
        QCOMPARE(f.momentOf(id), at(5, 13, 0));
    }

    void noScanWhileTheTableIsEdited()
    {
        PlannerFixture f(at(5, 12, 0));
        f.add(PlannerFixture::event(1, at(5, 11, 0), "/usr/bin/xclock"));
        f.alarm.insert();
        f.scheduler.scan();
        QVERIFY(f.fakes.shell.opened.isEmpty());
        QCOMPARE(f.alarm.state(), DataSet::State::Insert);
        f.alarm.cancel();
        f.scheduler.scan();
        QCOMPARE(f.fakes.shell.opened.size(), 1);
    }

    void failingVoiceStillShowsAndIsReportedOncePerOccurrence_data()
    {
        QTest::addColumn<bool>("connected");
        QTest::newRow("to the main window") << true;
        QTest::newRow("in an error box") << false;
    }
    void failingVoiceStillShowsAndIsReportedOncePerOccurrence()
    {
        QFETCH(bool, connected);
        PlannerFixture f(at(5, 12, 0));
        f.fakes.speech.fail = true;
        const int id = f.add(PlannerFixture::repeating(PlannerFixture::event(0, at(5, 10, 0), "Голос"), 2, 0));
        QStringList reports;
        if (connected)
            connect(&f.scheduler, &AlarmTimer::speechFailed, this, [&](const QString &text) {
                reports << text;
            });
        auto reported = [&] {
            if (connected)
                return reports;
            QStringList texts;
            for (const auto &shown : f.fakes.prompts.shown) {
                if (shown.kind == QLatin1String("error") && shown.title == QLatin1String("Veltrane"))
                    texts << shown.text;
            }
            return texts;
        };
        f.scheduler.scan();
        QVERIFY(f.reminder.open);
        // Told when the voice gives up, after the scan.
        QCOMPARE(reported(), QStringList());
        QTRY_COMPARE(reported(), QStringList{QStringLiteral("speech failed")});
        QCOMPARE(f.fakes.prompts.shown.size(), connected ? 0 : 1);
        // Hidden by the title bar and shown again: the same occurrence is not reported again.
        for (int i = 0; i < 5; ++i) {
            f.hideReminder();
            f.fakes.clock.advanceSecs(10);
            f.scheduler.scan();
            QTest::qWait(1);
        }
        QCOMPARE(f.reminder.shows, 6);
        QCOMPARE(reported().size(), 1);
        // The next occurrence is a new one.
        f.scheduler.closeReminder(id);
        f.hideReminder();
        f.fakes.clock.setLocal(at(6, 10, 0, 5));
        f.scheduler.scan();
        QTRY_COMPARE(reported().size(), 2);
        QVERIFY(!f.scheduler.isScanning());
    }

    void failingVoiceStillLaunchesAndCountsDown()
    {
        PlannerFixture f(at(5, 12, 0));
        f.fakes.speech.fail = true;
        f.add(PlannerFixture::event(1, at(5, 11, 0), "/usr/bin/xclock"));
        f.add(PlannerFixture::event(2, at(5, 11, 30)));
        f.scheduler.scan();
        QCOMPARE(f.fakes.shell.opened.size(), 1);
        QVERIFY(f.countdown.isCounting());
        QTRY_COMPARE(f.fakes.prompts.shown.size(), 2);
    }

    void scanDoesNotWaitForTheSpeechService()
    {
        // A speech service that answers after a second and a half: the reminder shows, the program starts and
        // the countdown runs before a single recording has arrived; each is spoken once it has.
        PlannerFixture f(at(5, 12, 0));
        LoopbackHttpServer server;
        QVERIFY(server.listen());
        server.setHandler([](const LoopbackHttpServer::Request &) {
            return LoopbackHttpServer::delayed(
                LoopbackHttpServer::reply(200, "OK", QByteArray("\xFF\xFB\x90\x00", 4) + QByteArray(400, 0x11)), 1500);
        });
        f.fakes.net.online = true;
        HttpGetClient http;
        RecordingPlayer player;
        Voice voice(&f.fakes.net, &http, &player, f.dir.appDir(), server.url());
        voice.setVoiceLang(QStringLiteral("ru"));
        Services services = f.fakes.services();
        services.speech = &voice;
        f.scheduler.stop();
        AlarmTimer scheduler(&f.alarm, services, f.dir.appDir(), QStringLiteral("ru"));
        scheduler.setTexts(f.scheduler.texts());
        scheduler.setReminder(&f.reminder);
        scheduler.setCountdown(&f.countdown);
        f.add(PlannerFixture::event(0, at(5, 11, 0), QStringLiteral("Позвонить брокеру")));
        f.add(PlannerFixture::event(1, at(5, 11, 10), QStringLiteral("/usr/bin/xclock")));
        f.add(PlannerFixture::event(2, at(5, 11, 20)));

        scheduler.scan();
        QVERIFY(f.reminder.open);
        QCOMPARE(f.fakes.shell.opened, QStringList{QStringLiteral("/usr/bin/xclock")});
        QVERIFY(f.countdown.isCounting());
        QCOMPARE(player.played, QStringList());
        QTRY_COMPARE_WITH_TIMEOUT(player.played.size(), 3, 15000);
        QCOMPARE(server.requests().size(), 3);
        QCOMPARE(f.fakes.prompts.shown.size(), 0);
    }

    void completingOneOffDeletesItsRecordingRepeatingKeepsIt()
    {
        PlannerFixture f(at(5, 12, 0));
        const int once = f.add(PlannerFixture::event(0, at(5, 10, 0), "Раз"));
        const int daily = f.add(PlannerFixture::repeating(PlannerFixture::event(0, at(5, 11, 0), "Ежедневно"), 2, 0));
        const QString onceFile = QStringLiteral("message%1.mp3").arg(once);
        const QString dailyFile = QStringLiteral("message%1.mp3").arg(daily);
        QVERIFY(f.dir.write(onceFile, "ID3"));
        QVERIFY(f.dir.write(dailyFile, "ID3"));
        f.scheduler.completeEvent(once);
        f.scheduler.completeEvent(daily);
        QVERIFY(!f.find(once).has_value());
        QVERIFY(!f.dir.exists(onceFile));
        QVERIFY(f.dir.exists(dailyFile));
        QCOMPARE(f.momentOf(daily), at(6, 11, 0));
        // An event that is gone is ignored.
        f.scheduler.completeEvent(once);
        f.scheduler.shiftEvent(once, 15, QStringLiteral("min"));
        QCOMPARE(f.alarm.recordCount(), 1);
    }

    void shiftIsOneWriteAndSurvivesReopening()
    {
        PlannerFixture f(at(5, 12, 0, 30));
        const int id = f.add(PlannerFixture::repeating(PlannerFixture::event(0, at(3, 12, 0), "Каждую минуту"), 0, 0));
        QSignalSpy posts(&f.alarm, &DataSet::afterPost);
        f.scheduler.completeEvent(id);
        QCOMPARE(posts.size(), 1);
        DataSet again;
        TableSchemas::openAlarm(again, f.dir.appDir());
        QVERIFY(again.locate(id));
        const PlannerEvent e = AlarmFields::read(again);
        QCOMPARE(QDateTime(e.data, e.time), at(5, 12, 1));
    }

    void repeatingPowerOffMovesBeforeTheComputerGoesOff()
    {
        PlannerFixture f(at(5, 23, 0, 5));
        PlannerEvent e = PlannerFixture::repeating(PlannerFixture::event(2, at(5, 23, 0)), 2, 0);
        const int id = f.add(e);
        QSignalSpy ends(&f.countdown, &PowerCountdown::programEndRequested);
        f.scheduler.scan();
        QVERIFY(f.countdown.isOpen());
        QCOMPARE(f.countdown.caption(), QStringLiteral("Выключение компьютера"));
        QCOMPARE(f.countdown.message(), QStringLiteral("Компьютер будет выключен"));
        QCOMPARE(f.fakes.speech.calls[0].text, QStringLiteral("Внимание! Компьютер будет выключен через одну минуту"));
        QCOMPARE(f.fakes.speech.calls[0].soundName, QStringLiteral("poweroff-ru"));
        f.countdown.tick();
        QCOMPARE(f.countdown.message(), QStringLiteral("Внимание! Компьютер будет выключен через  59 секунд"));
        for (int i = 0; i < 58; ++i)
            f.countdown.tick();
        QCOMPARE(f.fakes.power.powerOffs, 0);
        f.countdown.tick();
        QCOMPARE(f.countdown.message(), QStringLiteral("Внимание! Компьютер будет выключен через  0 секунд"));
        QCOMPARE(f.fakes.power.powerOffs, 1);
        QCOMPARE(ends.size(), 1);
        QVERIFY(!f.countdown.isCounting());
        QVERIFY(!f.countdown.isOpen());
        const auto moved = f.find(id);
        QCOMPARE(QDateTime(moved->data, moved->time), at(6, 23, 0));
        QCOMPARE(moved->execute, QStringLiteral("Выключить компьютер 06.03.2026 в 23:00"));
    }

    void sleepSuspendsAndTheProgramGoesOn()
    {
        PlannerFixture f(at(5, 12, 0));
        const int id = f.add(PlannerFixture::event(3, at(5, 11, 0)));
        QSignalSpy ends(&f.countdown, &PowerCountdown::programEndRequested);
        f.scheduler.scan();
        QCOMPARE(f.fakes.speech.calls[0].soundName, QStringLiteral("powerSleep-ru"));
        QCOMPARE(f.countdown.caption(), QStringLiteral("Выключение компьютера"));
        for (int i = 0; i < 60; ++i)
            f.countdown.tick();
        QCOMPARE(f.fakes.power.suspends, 1);
        QCOMPARE(f.fakes.power.powerOffs, 0);
        QCOMPARE(ends.size(), 0);
        QVERIFY(!f.find(id).has_value());
    }

    void countdownCancelAndHiddenCount()
    {
        PlannerFixture f(at(5, 12, 0));
        const int first = f.add(PlannerFixture::event(2, at(5, 11, 0)));
        const int second = f.add(PlannerFixture::event(2, at(5, 11, 30)));
        f.scheduler.scan();
        QCOMPARE(f.countdown.eventId(), first);
        // While the window shows, the other power-off waits.
        f.scheduler.scan();
        QCOMPARE(f.countdown.eventId(), first);
        f.countdown.cancel();
        QVERIFY(!f.find(first).has_value());
        QVERIFY(!f.countdown.isCounting());
        QCOMPARE(f.fakes.power.powerOffs, 0);
        // The next one: hidden by the title bar, the count goes on and the action happens.
        f.scheduler.scan();
        QCOMPARE(f.countdown.eventId(), second);
        f.countdown.hiddenByUser();
        f.alarm.edit(); // the user edits meanwhile: no scan can show it again
        f.scheduler.scan();
        for (int i = 0; i < 60; ++i)
            f.countdown.tick();
        QCOMPARE(f.fakes.power.powerOffs, 1);
    }

    void snoozeCountsFromTheEventsMoment()
    {
        PlannerFixture f(at(5, 10, 0, 4));
        const int id = f.add(PlannerFixture::event(0, at(5, 10, 0), "Дремать"));
        f.scheduler.scan();
        f.scheduler.shiftEvent(id, 15, QStringLiteral("min"));
        QCOMPARE(f.momentOf(id), at(5, 10, 15));
        f.scheduler.shiftEvent(id, 1, QStringLiteral("month"));
        QCOMPARE(f.momentOf(id), at(5, 10, 15, 0, 4));
        f.scheduler.shiftEvent(id, 1, QStringLiteral("fortnight"));
        QCOMPARE(f.momentOf(id), at(5, 10, 15, 0, 4));
    }
};

QTEST_GUILESS_MAIN(TestAlarmTimer)
#include "tst_AlarmTimer.moc"
