// The tray click's next-news walk: strict comparisons, the earliest time, and the two fixed texts.
#include "app/NextNews.h"

#include "FakeServices.h"

#include <QtTest>

using Rows = QList<NextNews::Release>;
Q_DECLARE_METATYPE(NextNews::Release)

namespace {
const QDate kToday(2026, 3, 5);
NextNews::Release at(const QString &hms, QDate date = kToday)
{
    return {date, QTime::fromString(hms, QStringLiteral("HH:mm:ss"))};
}
} // namespace

class TestNextNews : public QObject
{
    Q_OBJECT
private slots:
    void walk_data()
    {
        // clang-format off
        QTest::addColumn<Rows>("rows");
        QTest::addColumn<QString>("now");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("next");

        QTest::newRow("empty table") << Rows{} << "14:28:30" << 0 << "23:59:59";
        QTest::newRow("last release passed") << Rows{at("09:30:00"), at("13:00:00")} << "14:28:30" << 0 << "23:59:59";
        QTest::newRow("exactly now is not counted") << Rows{at("14:28:30")} << "14:28:30" << 0 << "23:59:59";
        QTest::newRow("one second later counts") << Rows{at("14:28:31")} << "14:28:30" << 1 << "14:28:31";
        QTest::newRow("23:59:59 is not counted") << Rows{at("23:59:59")} << "14:28:30" << 0 << "23:59:59";
        QTest::newRow("23:59:58 counts") << Rows{at("23:59:58")} << "14:28:30" << 1 << "23:59:58";
        QTest::newRow("other days ignored")
            << Rows{at("15:00:00", kToday.addDays(1)), at("15:00:00", kToday.addDays(-1))} << "14:28:30" << 0
            << "23:59:59";
        // The calendar table is walked newest first; the minimum does not depend on the order.
        QTest::newRow("earliest of several, descending")
            << Rows{at("20:00:00"), at("17:30:00"), at("16:00:00"), at("10:00:00")} << "14:28:30" << 3 << "16:00:00";
        QTest::newRow("earliest of several, ascending")
            << Rows{at("16:00:00"), at("17:30:00"), at("20:00:00")} << "14:28:30" << 1 << "16:00:00";
        QTest::newRow("two at the same earliest time count once")
            << Rows{at("16:00:00"), at("16:00:00")} << "14:28:30" << 1 << "16:00:00";
        QTest::newRow("row without a time never counts") << Rows{{kToday, QTime()}} << "14:28:30" << 0 << "23:59:59";
        // clang-format on
    }
    void walk()
    {
        QFETCH(Rows, rows);
        QFETCH(QString, now);
        QFETCH(int, count);
        QFETCH(QString, next);
        const NextNews::Result r
            = NextNews::find(rows, QDateTime(kToday, QTime::fromString(now, QStringLiteral("HH:mm:ss"))));
        QCOMPARE(r.count, count);
        QCOMPARE(r.next.toString(QStringLiteral("HH:mm:ss")), next);
    }

    void subSecondNowIsPastTheRow()
    {
        // The row holds whole seconds; half a second after it, it is no longer "later".
        const auto r = NextNews::find(Rows{at("14:28:30")}, QDateTime(kToday, QTime(14, 28, 30, 500)));
        QCOMPARE(r.count, 0);
    }

    void texts()
    {
        NextNews::Result none;
        NextNews::Balloon b = NextNews::compose(none, QStringLiteral("H:mm:ss"));
        QCOMPARE(b.title, QStringLiteral("Следующее событие"));
        QCOMPARE(b.text, QStringLiteral("Сегодня никаких экономический событий не произойдет"));
        QCOMPARE(b.seconds, 10);

        NextNews::Result one{1, QTime(9, 5, 0)};
        b = NextNews::compose(one, QStringLiteral("H:mm:ss"));
        QCOMPARE(b.text, QStringLiteral("Следующая новость будет опубликована в 9:05:00"));
        b = NextNews::compose(one, QStringLiteral("h:mm:ss AP"));
        QCOMPARE(b.text, QStringLiteral("Следующая новость будет опубликована в 9:05:00 AM"));
    }

    void announceBeepsThenShowsOneBalloon()
    {
        FakeServices fx;
        fx.clock.setLocal(QDateTime(kToday, QTime(14, 28, 30)));
        NextNews::announce(Rows{at("16:00:00"), at("15:45:10"), at("15:45:10")}, fx.clock, fx.notifier);
        QCOMPARE(fx.notifier.sounds, QStringList{QStringLiteral("MailBeep")});
        QCOMPARE(fx.notifier.balloons.size(), 1);
        QCOMPARE(fx.notifier.balloons[0].title, QStringLiteral("Следующее событие"));
        QCOMPARE(fx.notifier.balloons[0].text, QStringLiteral("Следующая новость будет опубликована в 15:45:10"));
        QCOMPARE(fx.notifier.balloons[0].seconds, 10);
        QCOMPARE(fx.notifier.balloons[0].icon, Notifier::BalloonIcon::Information);
    }
};

QTEST_GUILESS_MAIN(TestNextNews)
#include "test_tray_nextnews.moc"
