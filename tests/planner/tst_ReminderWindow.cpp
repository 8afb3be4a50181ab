// The reminder and countdown windows: what they show, and what their buttons do to the event.
#include "PlannerFixture.h"

#include "planner/PowerOffWindow.h"
#include "planner/ReminderWindow.h"

#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

namespace {

QDateTime at(int d, int h, int mi, int mo = 3)
{
    return QDateTime(QDate(2026, mo, d), QTime(h, mi));
}

struct WindowFixture : PlannerFixture
{
    ReminderWindow window{&scheduler};
    PowerOffWindow powerWindow{&countdown};
    explicit WindowFixture(const QDateTime &now) : PlannerFixture(now) { scheduler.setReminder(&window); }
};

} // namespace

class TestReminderWindow : public QObject
{
    Q_OBJECT
private slots:
    void showsTheDueReminder()
    {
        WindowFixture f(at(5, 10, 0));
        const int id = f.add(PlannerFixture::event(0, at(5, 10, 0), "Позвонить брокеру"));
        f.scheduler.scan();
        QVERIFY(f.window.isVisible());
        QCOMPARE(f.window.size(), QSize(396, 116));
        QVERIFY(f.window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(f.window.windowTitle(), QStringLiteral("Напоминание: 05.03.2026 - 10:00:00"));
        QCOMPARE(f.window.findChild<QLabel *>("Label2")->text(), QStringLiteral("Позвонить брокеру"));
        QCOMPARE(f.window.reminderEventId(), id);
        QVERIFY(!f.window.findChild<QLabel *>("Image1")->pixmap().isNull());
    }

    void snoozeEntries_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QDateTime>("moved");
        QTest::newRow("N51") << "N51"
                             << "Напомнить через 5 минут" << at(31, 10, 5, 1);
        QTest::newRow("N301") << "N301"
                              << "Напомнить через 30 минут" << at(31, 10, 30, 1);
        QTest::newRow("N61") << "N61"
                             << "Напомнить через 6 часов" << at(31, 16, 0, 1);
        QTest::newRow("N1") << "N1"
                            << "Напомнить завтра" << QDateTime(QDate(2026, 2, 1), QTime(10, 0));
        QTest::newRow("N2") << "N2"
                            << "Напомнить через неделю" << QDateTime(QDate(2026, 2, 7), QTime(10, 0));
        QTest::newRow("N3 on 31 January") << "N3"
                                          << "Напомнить через месяц" << QDateTime(QDate(2026, 2, 28), QTime(10, 0));
    }
    void snoozeEntries()
    {
        QFETCH(QString, entry);
        QFETCH(QString, caption);
        QFETCH(QDateTime, moved);
        WindowFixture f(at(31, 10, 0, 1));
        const int id = f.add(PlannerFixture::event(0, at(31, 10, 0, 1), "Дремать"));
        f.scheduler.scan();
        f.scheduler.stop();
        QAction *action = f.window.snoozeMenu()->findChild<QAction *>(entry);
        QVERIFY(action);
        QCOMPARE(action->text(), caption);
        action->trigger();
        QVERIFY(!f.window.isVisible());
        QCOMPARE(f.momentOf(id), moved);
        // A snooze neither hides the balloon nor starts the scheduler.
        QVERIFY(f.fakes.notifier.showing);
        QVERIFY(!f.scheduler.isActive());
    }

    void buttonsSnoozeFifteenMinutesAndClose()
    {
        WindowFixture f(at(5, 10, 0));
        const int id = f.add(PlannerFixture::event(0, at(5, 10, 0), "Раз"));
        f.scheduler.scan();
        f.window.findChild<QToolButton *>("ToolButton1")->click();
        QCOMPARE(f.momentOf(id), at(5, 10, 15));
        f.fakes.clock.setLocal(at(5, 10, 15));
        f.scheduler.scan();
        QVERIFY(f.window.isVisible());
        f.scheduler.stop();
        f.window.findChild<QToolButton *>("ToolButton2")->click();
        QVERIFY(!f.window.isVisible());
        QVERIFY(!f.find(id).has_value());
        QVERIFY(!f.fakes.notifier.showing);
        QVERIFY(f.scheduler.isActive());
    }

    void titleBarCloseOnlyHides()
    {
        WindowFixture f(at(5, 10, 0));
        const int id = f.add(PlannerFixture::event(0, at(5, 10, 0), "Снова"));
        f.scheduler.scan();
        QVERIFY(f.window.close());
        QVERIFY(!f.window.isVisible());
        QCOMPARE(f.momentOf(id), at(5, 10, 0));
        f.scheduler.scan();
        QVERIFY(f.window.isVisible());
    }

    void deletedEventStillClosesTheWindow()
    {
        WindowFixture f(at(5, 10, 0));
        const int id = f.add(PlannerFixture::event(0, at(5, 10, 0), "Удалю"));
        f.scheduler.scan();
        QVERIFY(f.alarm.locate(id));
        f.alarm.deleteRecord();
        f.window.findChild<QToolButton *>("ToolButton2")->click();
        QVERIFY(!f.window.isVisible());
        QCOMPARE(f.alarm.recordCount(), 0);
    }

    void countdownWindowCountsAndCancels()
    {
        WindowFixture f(at(5, 23, 0));
        const int id = f.add(PlannerFixture::event(2, at(5, 23, 0)));
        f.scheduler.scan();
        QVERIFY(f.powerWindow.isVisible());
        QCOMPARE(f.powerWindow.size(), QSize(420, 114));
        QCOMPARE(f.powerWindow.windowTitle(), QStringLiteral("Выключение компьютера"));
        QCOMPARE(f.powerWindow.message(), QStringLiteral("Компьютер будет выключен"));
        f.countdown.tick();
        QCOMPARE(f.powerWindow.message(), QStringLiteral("Внимание! Компьютер будет выключен через  59 секунд"));
        auto *cancel = f.powerWindow.findChild<QPushButton *>("SpeedButton1");
        QCOMPARE(cancel->text(), QStringLiteral("Не выключать комтьютер"));
        cancel->click();
        QVERIFY(!f.powerWindow.isVisible());
        QVERIFY(!f.countdown.isCounting());
        QVERIFY(!f.find(id).has_value());
        QCOMPARE(f.fakes.power.powerOffs, 0);
    }

    void hiddenCountdownRunsOutAndShowingAgainRestartsIt()
    {
        WindowFixture f(at(5, 23, 0));
        f.add(PlannerFixture::event(3, at(5, 23, 0)));
        f.scheduler.scan();
        for (int i = 0; i < 30; ++i)
            f.countdown.tick();
        QVERIFY(f.powerWindow.close());
        QVERIFY(f.countdown.isCounting());
        // The next scan shows it again, counting from 60.
        f.scheduler.scan();
        QVERIFY(f.powerWindow.isVisible());
        QCOMPARE(f.countdown.counter(), 60);
        QVERIFY(f.powerWindow.close());
        for (int i = 0; i < 60; ++i)
            f.countdown.tick();
        QCOMPARE(f.fakes.power.suspends, 1);
        QCOMPARE(f.alarm.recordCount(), 0);
    }
};

QTEST_MAIN(TestReminderWindow)
#include "tst_ReminderWindow.moc"
