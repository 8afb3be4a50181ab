// A writer killed in the middle of a run of posts leaves a valid table file holding every completed change.
#include "TempAppDir.h"
#include "store/DataSet.h"
#include "store/TableSchemas.h"

#include <QProcess>
#include <QtTest>
#include <sqlite3.h>

class TestKilledWriter : public QObject
{
    Q_OBJECT

private slots:
    void killedMidRun_data();
    void killedMidRun();
};

void TestKilledWriter::killedMidRun_data()
{
    QTest::addColumn<int>("killAfter");
    // Different moments, so that the kill lands inside different kinds of transaction.
    for (int n : {1, 37, 150, 333})
        QTest::addRow("after %d posts", n) << n;
}

void TestKilledWriter::killedMidRun()
{
    QFETCH(int, killAfter);
    TempAppDir dir;
    QProcess writer;
    writer.setProgram(QStringLiteral(STORE_POST_LOOP));
    writer.setArguments({dir.appDir()});
    writer.start();
    QVERIFY(writer.waitForStarted());

    long lastDone = 0;
    int lastCount = 0;
    while (lastDone < killAfter) {
        if (!writer.canReadLine() && !writer.waitForReadyRead(10000))
            QFAIL("the writer stopped reporting");
        while (writer.canReadLine()) {
            const QList<QByteArray> parts = writer.readLine().trimmed().split(' ');
            lastDone = parts.value(0).toLong();
            lastCount = parts.value(1).toInt();
        }
    }
    writer.kill(); // SIGKILL: no destructor, no close, possibly mid-transaction
    QVERIFY(writer.waitForFinished());
    // Lines written after the last one read are completed posts too.
    while (writer.canReadLine()) {
        const QList<QByteArray> parts = writer.readLine().trimmed().split(' ');
        if (parts.size() == 2) {
            lastDone = parts.value(0).toLong();
            lastCount = parts.value(1).toInt();
        }
    }

    DataSet alarm;
    TableSchemas::openAlarm(alarm, dir.appDir()); // rolls a half-written change back
    // Every post reported as done is there; at most the one in progress when killed may be there too.
    QVERIFY2(alarm.recordCount() == lastCount || alarm.recordCount() == lastCount + 1,
             qPrintable(QStringLiteral("%1 records after %2 reported").arg(alarm.recordCount()).arg(lastCount)));
    qint64 maxId = 0;
    for (alarm.first(); !alarm.eof(); alarm.next()) {
        QVERIFY(alarm.fieldByName("Data").asDate().isValid());
        maxId = std::max(maxId, alarm.fieldByName("id").asInteger());
    }
    QVERIFY(maxId >= lastDone);

    // The table goes on working, and keeps the counter: no id is given twice.
    const int before = alarm.recordCount();
    alarm.append();
    alarm.fieldByName("Data").setAsDate(QDate(2027, 1, 1));
    alarm.post();
    QVERIFY(alarm.fieldByName("id").asInteger() > maxId);
    alarm.close();
    alarm.open();
    QCOMPARE(alarm.recordCount(), before + 1);
    alarm.close();

    sqlite3 *db = nullptr;
    QCOMPARE(sqlite3_open(dir.path("alarm.cds").toUtf8().constData(), &db), SQLITE_OK);
    sqlite3_stmt *st = nullptr;
    QCOMPARE(sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &st, nullptr), SQLITE_OK);
    QCOMPARE(sqlite3_step(st), SQLITE_ROW);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(sqlite3_column_text(st, 0))), QByteArray("ok"));
    sqlite3_finalize(st);
    sqlite3_close(db);
}

QTEST_GUILESS_MAIN(TestKilledWriter)
#include "tst_KilledWriter.moc"
