// The ticks' working-set trim runs at the first tick and then at most once per interval.
#include "platform/WorkingSetTrim.h"

#include <QTest>

class TestWorkingSetTrim : public QObject
{
    Q_OBJECT
private slots:
    void dueAtTheFirstCallThenOncePerInterval()
    {
        constexpr std::int64_t I = WorkingSetTrim::IntervalMs;
        struct Call
        {
            std::int64_t nowMs;
            bool due;
        };
        // Calls a second apart, as the clock tick makes them, from an arbitrary monotonic start.
        const std::int64_t t0 = 5'000'123;
        const Call calls[] = {
            {t0, true},
            {t0 + 1000, false},
            {t0 + I - 1, false},
            {t0 + I, true},         // the interval counts from the last trim...
            {t0 + I + 1000, false}, // ...not from the first call
            {t0 + 2 * I + 999, true},
            {t0 + 2 * I + 1000, false},
            {t0 + 10 * I, true}, // a long gap: due at once, once
            {t0 + 10 * I + 1, false},
        };
        WorkingSetTrim trim;
        for (const Call &call : calls)
            QVERIFY2(trim.takeDue(call.nowMs) == call.due, qPrintable(QString::number(call.nowMs - t0)));
    }
};

QTEST_GUILESS_MAIN(TestWorkingSetTrim)
#include "test_working_set_trim.moc"
