// Prints the cost of a post to the alarm table: one transaction per post, and many posts in one batch;
// and the time to open a table of a thousand events.
#include "store/DataSet.h"
#include "store/StoreBatch.h"
#include "store/TableSchemas.h"

#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTime>

#include <cstdio>

namespace {

void addEvent(DataSet &alarm, int n)
{
    alarm.append();
    alarm.fieldByName("Tip").setAsInteger(0);
    alarm.fieldByName("Data").setAsDate(QDate(2026, 1, 1).addDays(n % 365));
    alarm.fieldByName("Time").setAsTime(QTime(0, 0).addSecs((n * 97) % 86400));
    alarm.fieldByName("Execute").setAsString(QStringLiteral("Напоминание номер %1").arg(n));
    alarm.post();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString appDir = dir.path() + QLatin1Char('/');
    DataSet alarm;
    TableSchemas::openAlarm(alarm, appDir);

    const int single = 200;
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < single; ++i)
        addEvent(alarm, i);
    const double perPost = double(t.nsecsElapsed()) / 1e6 / single;

    // A scheduler catch-up shifts one event step by step: edit and post the same record many times.
    const int steps = 800;
    alarm.first();
    const qint64 id = alarm.fieldByName("id").asInteger();
    t.restart();
    {
        StoreBatch batch(alarm);
        for (int i = 0; i < steps; ++i) {
            alarm.locate(id);
            alarm.edit();
            alarm.fieldByName("Time").setAsTime(alarm.fieldByName("Time").asTime().addSecs(1800));
            alarm.post();
        }
        batch.commit();
    }
    const double perBatchedPost = double(t.nsecsElapsed()) / 1e6 / steps;

    {
        StoreBatch batch(alarm);
        for (int i = single; i < 1000; ++i)
            addEvent(alarm, i);
        batch.commit();
    }
    alarm.close();
    t.restart();
    alarm.open();
    const double openMs = double(t.nsecsElapsed()) / 1e6;

    std::printf("store_posts: write-through post %.3f ms; post inside a batch %.3f ms; "
                "open of %d events %.2f ms\n",
                perPost, perBatchedPost, alarm.recordCount(), openMs);
    return 0;
}
