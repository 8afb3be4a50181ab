// The minute check of the news alerts: which rows match, the exact texts, and that nothing holds the check up.
#include "calendar/NewsAlerts.h"

#include "FakeServices.h"
#include "store/DataSet.h"
#include "store/TableSchemas.h"

#include <QtTest>

namespace {

const QDate kToday(2026, 3, 5);

void openInMemory(DataSet &econom)
{
    TableSchemas::defineEconom(econom);
    econom.createDataSet();
    econom.setIndexName(QStringLiteral("DataTime"));
}

// "yyyy-MM-dd HH:mm impact" (seconds of the stored time may be anything)
void addRow(DataSet &econom, const QString &row)
{
    const QStringList f = row.split(QLatin1Char(' '));
    econom.insert();
    econom.fieldByName(QStringLiteral("title")).setValue(QStringLiteral("Release"));
    econom.fieldByName(QStringLiteral("country")).setValue(QStringLiteral("USD"));
    econom.fieldByName(QStringLiteral("date")).setValue(QDate::fromString(f[0], Qt::ISODate));
    econom.fieldByName(QStringLiteral("time")).setValue(QTime::fromString(f[1], QStringLiteral("HH:mm:ss")));
    econom.fieldByName(QStringLiteral("impact")).setValue(f.value(2));
    econom.post();
}

} // namespace

class TestNewsAlerts : public QObject
{
    Q_OBJECT
private slots:
    void check_data()
    {
        QTest::addColumn<int>("lead");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("now");
        QTest::addColumn<QString>("caption"); // empty: no alert
        QTest::addColumn<QString>("message");

        const QString d = kToday.toString(Qt::ISODate);
        QTest::newRow("15 ahead, one high release, first second of the minute")
            << 15 << QStringList{d + " 14:30:00 Высокий", d + " 14:31:00 Низкий"} << "14:15:00"
            << "До события 15 минут"
            << "Через 15 минут будет опубликована новость. Уровень важности: Высокий";
        QTest::newRow("15 ahead, last second of the minute") << 15 << QStringList{d + " 14:30:00 Средний"} << "14:15:59"
                                                             << "До события 15 минут"
                                                             << "Через 15 минут будет опубликована новость. Уровень "
                                                                "важности: Средний";
        QTest::newRow("15 ahead, a minute early or late: nothing")
            << 15 << QStringList{d + " 14:30:00 Высокий"} << "14:14:59"
            << ""
            << "";
        QTest::newRow("15 ahead, one minute late: nothing") << 15 << QStringList{d + " 14:30:00 Высокий"} << "14:16:00"
                                                            << ""
                                                            << "";
        QTest::newRow("60 ahead, three at 09:30")
            << 60 << QStringList{d + " 09:30:00 Высокий", d + " 09:30:00 Низкий", d + " 09:30:00 Средний"} << "08:30:10"
            << "До события 60 минут"
            << "Через  один час будут опубликованы  три новости";
        QTest::newRow("3 ahead, two") << 3 << QStringList{d + " 10:03:00 A", d + " 10:03:00 B"} << "10:00:00"
                                      << "До события 3 минут"
                                      << "Через  три минуты будут опубликованы  две новости";
        QTest::newRow("5 ahead, four") << 5 << QStringList(4, d + " 10:05:00 A") << "10:00:00"
                                       << "До события 5 минут"
                                       << "Через  пять минут будут опубликованы  четыре новости";
        QTest::newRow("30 ahead, five") << 30 << QStringList(5, d + " 10:30:00 A") << "10:00:00"
                                        << "До события 30 минут"
                                        << "Через  тридцать минут будут опубликованы  пять новостей";
        QTest::newRow("15 ahead, six") << 15 << QStringList(6, d + " 10:15:00 A") << "10:00:00"
                                       << "До события 15 минут"
                                       << "Через  пятнадцать минут будут опубликованы  несколько новостей";
        QTest::newRow("at the release, one") << 0 << QStringList{d + " 10:00:00 Низкий"} << "10:00:30"
                                             << "Новость опубликована"
                                             << "Только что опубликована новость. Уровень важности: Низкий";
        QTest::newRow("at the release, two")
            << 0 << QStringList{d + " 10:00:00 Низкий", d + " 10:00:00 Высокий"} << "10:00:30"
            << "Новость опубликована"
            << "Только что опубликованы новости (2)";
        QTest::newRow("10 ahead from an edited file, two: no time phrase")
            << 10 << QStringList{d + " 10:10:00 A", d + " 10:10:00 B"} << "10:00:00"
            << "До события 10 минут"
            << "Через  будут опубликованы  две новости";
        QTest::newRow("10 ahead, one") << 10 << QStringList{d + " 10:10:00 Выходной"} << "10:00:00"
                                       << "До события 10 минут"
                                       << "Через 10 минут будет опубликована новость. Уровень важности: Выходной";
        QTest::newRow("seconds of the stored time do not matter")
            << 0 << QStringList{d + " 10:00:45 Высокий"} << "10:00:05"
            << "Новость опубликована"
            << "Только что опубликована новость. Уровень важности: Высокий";
        QTest::newRow("60 ahead, 00:20 is never caught at 00:20 or the evening before")
            << 60 << QStringList{d + " 00:20:00 Высокий"} << "00:20:00"
            << ""
            << "";
        QTest::newRow("60 ahead, target past midnight is not wrapped")
            << 60 << QStringList{d + " 00:20:00 Высокий", kToday.addDays(1).toString(Qt::ISODate) + " 00:20:00 A"}
            << "23:20:00"
            << ""
            << "";
        QTest::newRow("15 ahead catches 00:20 at 00:05")
            << 15 << QStringList{d + " 00:20:00 Высокий"} << "00:05:00"
            << "До события 15 минут"
            << "Через 15 минут будет опубликована новость. Уровень важности: Высокий";
        QTest::newRow("yesterday and tomorrow never match")
            << 15
            << QStringList{kToday.addDays(-1).toString(Qt::ISODate) + " 14:30:00 A",
                           kToday.addDays(1).toString(Qt::ISODate) + " 14:30:00 A"}
            << "14:15:00"
            << ""
            << "";
        QTest::newRow("alerts off") << -1 << QStringList{d + " 14:15:00 A", d + " 14:30:00 A"} << "14:15:00"
                                    << ""
                                    << "";
    }
    void check()
    {
        QFETCH(int, lead);
        QFETCH(QStringList, rows);
        QFETCH(QString, now);
        QFETCH(QString, caption);
        QFETCH(QString, message);

        FakeServices fakes;
        fakes.clock.setLocal(QDateTime(kToday, QTime::fromString(now, QStringLiteral("HH:mm:ss"))));
        DataSet econom;
        openInMemory(econom);
        for (const QString &row : rows)
            addRow(econom, row);

        NewsAlerts alerts(&econom, fakes.services());
        int trims = 0;
        alerts.setTrimWorkingSet([&trims] {
            ++trims;
        });
        alerts.setLeadMinutes(lead);
        alerts.setVoiceLang(QStringLiteral("ru"));
        alerts.check();
        QCOMPARE(trims, 1);
        if (caption.isEmpty()) {
            QCoreApplication::processEvents();
            QVERIFY(fakes.notifier.sounds.isEmpty());
            QVERIFY(fakes.notifier.balloons.isEmpty());
            QVERIFY(fakes.speech.calls.isEmpty());
            QVERIFY(fakes.prompts.shown.isEmpty());
            return;
        }
        QCOMPARE(fakes.notifier.sounds, QStringList{QStringLiteral("MailBeep")});
        QCOMPARE(fakes.speech.calls.size(), 1);
        QCOMPARE(fakes.speech.calls[0].text, message);
        QCOMPARE(fakes.speech.calls[0].soundName, QStringLiteral("mess-ru"));
        QVERIFY(fakes.speech.calls[0].refetch);
        QCOMPARE(fakes.notifier.balloons.size(), 1);
        QCOMPARE(fakes.notifier.balloons[0].title, caption);
        QCOMPARE(fakes.notifier.balloons[0].text, message);
        QCOMPARE(fakes.notifier.balloons[0].seconds, 50);
        QCOMPARE(fakes.notifier.balloons[0].icon, Notifier::BalloonIcon::Warning);
        // The box opens once the check has returned.
        QVERIFY(fakes.prompts.shown.isEmpty());
        QCoreApplication::processEvents();
        QCOMPARE(fakes.prompts.shown.size(), 1);
        QCOMPARE(fakes.prompts.shown[0].kind, QStringLiteral("information"));
        QCOMPARE(fakes.prompts.shown[0].title, QStringLiteral("Информация"));
        QCOMPARE(fakes.prompts.shown[0].text, message);
    }

    // A voice that never answers or fails does not stop the balloon and the box; a failure is told once
    // until the voice works again.
    void voiceNeverHoldsTheAlert()
    {
        FakeServices fakes;
        fakes.clock.setLocal(QDateTime(kToday, QTime(10, 0, 1)));
        DataSet econom;
        openInMemory(econom);
        for (int m = 0; m < 4; ++m)
            addRow(econom,
                   kToday.toString(Qt::ISODate) + QStringLiteral(" 10:%1:00 Высокий").arg(m, 2, 10, QChar('0')));
        NewsAlerts alerts(&econom, fakes.services());
        alerts.setTrimWorkingSet([] {});
        alerts.setLeadMinutes(0);
        QStringList reported;
        alerts.setReportFailure([&reported](const QString &text) {
            reported << text;
        });

        fakes.speech.answerAtOnce = false; // slow: still downloading
        alerts.check();
        QCoreApplication::processEvents();
        QCOMPARE(fakes.notifier.balloons.size(), 1);
        QCOMPARE(fakes.prompts.shown.size(), 1);

        fakes.speech.answerAtOnce = true;
        fakes.speech.fail = true;
        for (int m = 1; m <= 2; ++m) {
            fakes.clock.advanceSecs(60);
            alerts.check();
            QCoreApplication::processEvents();
            QCoreApplication::processEvents();
        }
        QCOMPARE(fakes.notifier.balloons.size(), 3);
        QCOMPARE(fakes.prompts.shown.size(), 3);
        QCOMPARE(reported, QStringList{QStringLiteral("speech failed")});

        fakes.speech.answerPending(); // the first, slow request fails late: still the same failure, not told again
        QCOMPARE(reported.size(), 1);
    }

    // Two checks in one clock minute announce once; the next minute is checked again.
    void oncePerMinute()
    {
        FakeServices fakes;
        fakes.clock.setLocal(QDateTime(kToday, QTime(10, 0, 0, 500)));
        DataSet econom;
        openInMemory(econom);
        addRow(econom, kToday.toString(Qt::ISODate) + QStringLiteral(" 10:15:00 Высокий"));
        addRow(econom, kToday.toString(Qt::ISODate) + QStringLiteral(" 10:16:00 Низкий"));
        NewsAlerts alerts(&econom, fakes.services());
        int trims = 0;
        alerts.setTrimWorkingSet([&trims] {
            ++trims;
        });
        alerts.setLeadMinutes(15);
        alerts.check();
        fakes.clock.advanceSecs(59);
        alerts.check();
        QCOMPARE(fakes.notifier.balloons.size(), 1);
        QCOMPARE(trims, 2);
        fakes.clock.advanceSecs(1);
        alerts.check();
        QCOMPARE(fakes.notifier.balloons.size(), 2);
        QVERIFY(fakes.notifier.balloons[1].text.endsWith(QStringLiteral("Низкий")));
    }

    // The timer is set for just past the next clock minute.
    void timerFollowsTheClockMinute()
    {
        FakeServices fakes;
        fakes.clock.setLocal(QDateTime(kToday, QTime(10, 0, 42, 250)));
        DataSet econom;
        openInMemory(econom);
        NewsAlerts alerts(&econom, fakes.services());
        alerts.start();
        QVERIFY(alerts.isActive());
        // 18750 ms to 10:01:01; a coarse timer may be set up to 5 % later than asked.
        const int left = alerts.nextCheckInMs();
        QVERIFY2(left > 17000 && left <= 18750 * 105 / 100, qPrintable(QString::number(left)));
    }
};

QTEST_GUILESS_MAIN(TestNewsAlerts)
#include "test_news_alerts.moc"
