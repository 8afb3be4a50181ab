// Test helper: posts events into <dir>/alarm.cds without end, printing how many posts have completed.
#include "store/DataSet.h"
#include "store/TableSchemas.h"

#include <QCoreApplication>
#include <QDate>
#include <QTime>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return 2;
    DataSet alarm;
    TableSchemas::openAlarm(alarm, QString::fromLocal8Bit(argv[1]));
    for (long n = 1;; ++n) {
        alarm.append();
        alarm.fieldByName("Tip").setAsInteger(0);
        alarm.fieldByName("Data").setAsDate(QDate(2026, 1, 1).addDays(n % 400));
        alarm.fieldByName("Time").setAsTime(QTime(0, 0).addSecs(int(n % 86400)));
        alarm.fieldByName("Execute").setAsString(QStringLiteral("event %1 ").arg(n).repeated(10));
        alarm.post();
        // Every fifth post also changes an older record and every seventh deletes one, so the killed
        // transaction may be an insert, an update or a delete.
        if (n % 5 == 0 && alarm.locate(n / 2)) {
            alarm.edit();
            alarm.fieldByName("Repeat").setAsBoolean(true);
            alarm.post();
        }
        if (n % 7 == 0 && alarm.locate(n - 3))
            alarm.deleteRecord();
        std::printf("%ld %d\n", n, alarm.recordCount());
        std::fflush(stdout);
    }
}
