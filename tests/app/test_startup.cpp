// The start-up runner and the window shape.
#include "app/StartupSequence.h"
#include "app/WindowShape.h"
#include "platform/Failure.h"

#include <QTest>

class TestStartup : public QObject
{
    Q_OBJECT
private slots:
    void stepsRunInOrderAndStopAtTheFirstFailure()
    {
        StartupSequence seq;
        QStringList ran;
        seq.add(QStringLiteral("one"), [&] {
            ran << QStringLiteral("one");
        });
        seq.add(QStringLiteral("two"), [&] {
            ran << QStringLiteral("two");
            throw Failure(QStringLiteral("Unable to write to /x"));
        });
        seq.add(QStringLiteral("three"), [&] {
            ran << QStringLiteral("three");
        });
        QStringList reported;
        QVERIFY(!seq.run([&](const QString &t) {
            reported << t;
        }));
        QCOMPARE(ran, (QStringList{QStringLiteral("one"), QStringLiteral("two")}));
        QCOMPARE(reported, QStringList{QStringLiteral("Unable to write to /x")});
        QCOMPARE(seq.completed(), QStringList{QStringLiteral("one")});
    }

    void everyStepRunsWhenNoneFails()
    {
        StartupSequence seq;
        int n = 0;
        for (int i = 0; i < 5; ++i)
            seq.add(QString::number(i), [&] {
                ++n;
            });
        QVERIFY(seq.run([](const QString &) {
            QFAIL("nothing to report");
        }));
        QCOMPARE(n, 5);
    }

    void leftCornersRoundRightCornersSquare_data()
    {
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<bool>("inside");
        QTest::newRow("top-left corner cut") << QPoint(0, 0) << false;
        QTest::newRow("bottom-left corner cut") << QPoint(0, 289) << false;
        QTest::newRow("top-right corner square") << QPoint(509, 0) << true;
        QTest::newRow("bottom-right corner square") << QPoint(509, 289) << true;
        QTest::newRow("left edge middle") << QPoint(0, 145) << true;
        QTest::newRow("top edge past the curve") << QPoint(10, 0) << true;
        QTest::newRow("outside to the right") << QPoint(510, 10) << false;
    }
    void leftCornersRoundRightCornersSquare()
    {
        QFETCH(QPoint, point);
        QFETCH(bool, inside);
        QCOMPARE(WindowShape::roundLeftCorners(QSize(510, 290)).contains(point), inside);
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "test_startup.moc"
