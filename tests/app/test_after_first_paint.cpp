// Work held back until the window's first paint: never before it, once, and not lost when no paint comes.
#include "app/AfterFirstPaint.h"

#include <QPainter>
#include <QPointer>
#include <QTest>
#include <QWidget>

namespace {

constexpr int Fallback = 300;

class CountingWindow : public QWidget
{
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent *) override
    {
        ++paints;
        QPainter(this).fillRect(rect(), Qt::black);
    }
};

} // namespace

class TestAfterFirstPaint : public QObject
{
    Q_OBJECT
private slots:
    void runsOnceAfterTheFirstPaint()
    {
        CountingWindow window;
        window.resize(100, 50);
        QList<int> paintsSeen;
        AfterFirstPaint::run(
            &window,
            [&] {
                paintsSeen << window.paints;
            },
            Fallback);
        QCoreApplication::processEvents();
        QVERIFY(paintsSeen.isEmpty()); // not shown yet: nothing painted, nothing run
        window.show();
        QTRY_COMPARE(paintsSeen.size(), 1);
        QVERIFY(paintsSeen.first() >= 1);
        window.update();
        QTRY_VERIFY(window.paints >= 2);
        QTest::qWait(Fallback + 100);
        QCOMPARE(paintsSeen.size(), 1);
    }

    void runsAfterTheFallbackWhenNoPaintComes()
    {
        CountingWindow window; // never shown
        bool ran = false;
        AfterFirstPaint::run(
            &window,
            [&] {
                ran = true;
            },
            Fallback);
        QTest::qWait(Fallback / 2);
        QVERIFY(!ran);
        QTRY_VERIFY_WITH_TIMEOUT(ran, Fallback * 4);
        QCOMPARE(window.paints, 0);
    }

    void goesWithTheWindowWithoutRunning()
    {
        bool ran = false;
        QPointer<QObject> pending;
        {
            CountingWindow window;
            AfterFirstPaint::run(
                &window,
                [&] {
                    ran = true;
                },
                Fallback);
            pending = window.findChild<AfterFirstPaint *>();
            QVERIFY(pending);
        }
        QVERIFY(!pending);
        QTest::qWait(Fallback * 2);
        QVERIFY(!ran);
    }
};

QTEST_MAIN(TestAfterFirstPaint)
#include "test_after_first_paint.moc"
