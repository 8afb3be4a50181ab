// Scheduler figures: the catch-up of an every-minute event missed for two days, and a scan of 1,000
// events of which none is due. Prints the median of several runs; asserts nothing.
#include "planner/AlarmFields.h"
#include "planner/AlarmTimer.h"
#include "planner/PowerCountdown.h"
#include "store/DataSet.h"
#include "store/StoreBatch.h"
#include "store/TableSchemas.h"

#include "FakeServices.h"
#include "TempAppDir.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

PlannerEvent minuteEvent(const QDateTime &moment)
{
    PlannerEvent e;
    e.tip = 0;
    e.data = moment.date();
    e.time = moment.time();
    e.execute = QStringLiteral("Каждую минуту");
    e.repeat = true;
    e.repeatValueName = 0;
    e.repeatValue = 0;
    e.days.fill(true);
    return e;
}

int insert(DataSet &alarm, const PlannerEvent &e)
{
    alarm.insert();
    AlarmFields::write(alarm, e);
    alarm.post();
    return int(alarm.fieldByName(QStringLiteral("id")).asInteger());
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QDateTime now(QDate(2026, 3, 5), QTime(15, 0, 5));
    const int runs = 9;

    std::vector<double> catchUp;
    for (int run = 0; run < runs; ++run) {
        TempAppDir dir;
        FakeServices fakes;
        fakes.clock.setLocal(now);
        DataSet alarm;
        TableSchemas::openAlarm(alarm, dir.appDir());
        AlarmTimer scheduler(&alarm, fakes.services(), dir.appDir(), QStringLiteral("ru"));
        const int id = insert(alarm, minuteEvent(now.addDays(-2)));
        QElapsedTimer t;
        t.start();
        scheduler.completeEvent(id);
        catchUp.push_back(t.nsecsElapsed() / 1e6);
    }

    std::vector<double> scan;
    {
        TempAppDir dir;
        FakeServices fakes;
        fakes.clock.setLocal(now);
        DataSet alarm;
        TableSchemas::openAlarm(alarm, dir.appDir());
        {
            StoreBatch batch(alarm);
            for (int i = 0; i < 1000; ++i) {
                PlannerEvent e = minuteEvent(now.addSecs(3600 + i * 600));
                e.repeat = i % 2 == 0;
                insert(alarm, e);
            }
            batch.commit();
        }
        PowerCountdown countdown(&fakes.power);
        AlarmTimer scheduler(&alarm, fakes.services(), dir.appDir(), QStringLiteral("ru"));
        scheduler.setCountdown(&countdown);
        scheduler.start();
        alarm.first();
        std::printf("table: %d events, state %d\n", alarm.recordCount(), int(alarm.state()));
        for (int run = 0; run < runs * 3; ++run) {
            QElapsedTimer t;
            t.start();
            scheduler.scan();
            scan.push_back(t.nsecsElapsed() / 1e6);
        }
    }

    std::printf("planner catch-up of an every-minute event missed for two days: %.2f ms (median of %d)\n",
                median(catchUp), runs);
    std::printf("planner scan of 1000 events, none due: %.3f ms (median of %d)\n", median(scan), runs * 3);
    return 0;
}
