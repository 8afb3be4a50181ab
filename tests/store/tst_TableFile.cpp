// Table files: the SQLite layout, reading the structure back, bad files, the counter, batches, econom at close.
#include "TableQuery.h"
#include "TempAppDir.h"
#include "platform/Failure.h"
#include "store/DataSet.h"
#include "store/StoreBatch.h"
#include "store/TableSchemas.h"

#include <QtTest>
#include <sqlite3.h>
#include <sys/stat.h>

namespace {

void addEvent(DataSet &ds, const QDate &d, const QTime &t, const QString &text)
{
    ds.append();
    ds.fieldByName("Data").setAsDate(d);
    ds.fieldByName("Time").setAsTime(t);
    ds.fieldByName("Execute").setAsString(text);
    ds.post();
}

} // namespace

class TestTableFile : public QObject
{
    Q_OBJECT

private slots:
    void createdFileLayout();
    void storedValues();
    void structureReadBack_data();
    void structureReadBack();
    void structureInFileWins();
    void columnTypeOfAFile_data();
    void columnTypeOfAFile();
    void badFiles_data();
    void badFiles();
    void createNeverReplaces();
    void notARegularFile_data();
    void notARegularFile();
    void missingFieldNamesTheFile();
    void startupCreatesAndOpensAll();
    void counterSurvivesRestart();
    void econSavedOnlyAtClose();
    void batchCommitAndRollback();
    void failedWriteKeepsEditState();
};

void TestTableFile::createdFileLayout()
{
    TempAppDir dir;
    DataSet alarm, phone, econom;
    TableSchemas::openAll(phone, alarm, econom, dir.appDir());

    QCOMPARE(TableQuery::rows(dir.path("alarm.cds"), "SELECT name, type FROM pragma_table_info('alarm')"),
             (QStringList{"id|INTEGER", "Tip|INTEGER", "Data|DATE", "Time|TIME", "Execute|VARCHAR(254)",
                          "RepeatHour|BOOLEAN", "RepeatHourStart|TIME", "RepeatHourEnd|TIME", "Repeat|BOOLEAN",
                          "RepeatValue|INTEGER", "RepeatValueName|INTEGER", "Day1|BOOLEAN", "Day2|BOOLEAN",
                          "Day3|BOOLEAN", "Day4|BOOLEAN", "Day5|BOOLEAN", "Day6|BOOLEAN", "Day7|BOOLEAN"}));
    QVERIFY(TableQuery::rows(dir.path("alarm.cds"), "SELECT sql FROM sqlite_master WHERE name='alarm'")
                .value(0)
                .contains("\"id\" INTEGER PRIMARY KEY AUTOINCREMENT"));
    QCOMPARE(TableQuery::rows(dir.path("phone.cds"), "SELECT name, type FROM pragma_table_info('phone')"),
             (QStringList{"Fio|VARCHAR(50)", "Work|VARCHAR(50)", "PhoneWork|VARCHAR(30)", "Phone|VARCHAR(30)",
                          "Mobile|VARCHAR(30)", "Email|VARCHAR(50)", "Info|TEXT"}));
    QCOMPARE(TableQuery::rows(dir.path("econom.cds"), "SELECT name, type FROM pragma_table_info('econom')"),
             (QStringList{"title|VARCHAR(50)", "country|VARCHAR(3)", "date|DATE", "time|TIME", "forecast|VARCHAR(10)",
                          "previous|VARCHAR(10)", "impact|VARCHAR(12)"}));

    // Indexes are SQLite indexes with their names; options as DESC / COLLATE NOCASE.
    QCOMPARE(TableQuery::rows(dir.path("alarm.cds"),
                              "SELECT name, desc, coll FROM pragma_index_xinfo('datatime') WHERE key"),
             (QStringList{"Data|0|BINARY", "Time|0|BINARY"}));
    QCOMPARE(TableQuery::rows(dir.path("econom.cds"),
                              "SELECT name, desc, coll FROM pragma_index_xinfo('DataTime') WHERE key"),
             (QStringList{"date|1|NOCASE", "time|1|NOCASE"}));
    QCOMPARE(
        TableQuery::rows(dir.path("phone.cds"), "SELECT name, desc, coll FROM pragma_index_xinfo('Fio') WHERE key"),
        (QStringList{"Fio|0|NOCASE"}));

    // Rollback journal, never WAL, so the one file always holds the whole table.
    for (const char *name : {"alarm.cds", "phone.cds", "econom.cds"})
        QCOMPARE(TableQuery::rows(dir.path(name), "PRAGMA journal_mode"), QStringList{"delete"});
}

void TestTableFile::storedValues()
{
    TempAppDir dir;
    DataSet ds;
    TableSchemas::openAlarm(ds, dir.appDir());
    ds.append();
    ds.fieldByName("Tip").setAsInteger(2);
    ds.fieldByName("Data").setAsDate(QDate(2012, 9, 12));
    ds.fieldByName("Time").setAsTime(QTime(23, 30, 5));
    ds.fieldByName("Execute").setAsString("Выключить компьютер 12.09.2012 в 23:30");
    ds.fieldByName("Repeat").setAsBoolean(false);
    ds.fieldByName("Day2").setAsBoolean(true);
    ds.post();
    QCOMPARE(TableQuery::rows(dir.path("alarm.cds"),
                              "SELECT id, Tip, Data, Time, Execute, RepeatHour, Repeat, Day1, Day2 FROM alarm"),
             QStringList{"1|2|2012-09-12|23:30:05|Выключить компьютер 12.09.2012 в 23:30|NULL|0|NULL|1"});
}

void TestTableFile::structureReadBack_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("indexName");
    QTest::addColumn<QString>("fields");
    QTest::addColumn<int>("options");

    QTest::newRow("alarm") << "alarm"
                           << "datatime"
                           << "Data; Time" << 0;
    QTest::newRow("phone") << "phone"
                           << "Fio"
                           << "Fio" << int(IndexOption::Primary | IndexOption::CaseInsensitive);
    QTest::newRow("econom") << "econom"
                            << "DataTime"
                            << "date; time"
                            << int(IndexOption::Primary | IndexOption::Descending | IndexOption::CaseInsensitive);
}

void TestTableFile::structureReadBack()
{
    QFETCH(QString, table);
    QFETCH(QString, indexName);
    QFETCH(QString, fields);
    QFETCH(int, options);

    TempAppDir dir;
    QList<FieldDef> defined;
    {
        DataSet ds;
        if (table == "alarm")
            TableSchemas::defineAlarm(ds);
        if (table == "phone")
            TableSchemas::definePhone(ds);
        if (table == "econom")
            TableSchemas::defineEconom(ds);
        defined = ds.fieldDefs();
        ds.setFileName(dir.path(table + ".cds"));
        ds.createDataSet();
    }
    DataSet plain; // nothing defined: everything comes from the file
    plain.setFileName(dir.path(table + ".cds"));
    plain.open();
    QCOMPARE(plain.fieldDefs(), defined);
    const QList<IndexDef> indexes = plain.indexDefs();
    QCOMPARE(indexes.size(), 1);
    QCOMPARE(indexes[0].name, indexName);
    QCOMPARE(indexes[0].fields, fields);
    QCOMPARE(int(indexes[0].options), options);
}

void TestTableFile::structureInFileWins()
{
    TempAppDir dir;
    QVERIFY(TableQuery::exec(dir.path("phone.cds"),
                             "CREATE TABLE phone (Fio VARCHAR(80), Note TEXT, Age INTEGER);"
                             "INSERT INTO phone VALUES ('b', 'x', 3), ('A', NULL, NULL), ('c', 'y', 1);"));
    DataSet ds;
    // The store itself takes whatever fields the file holds (the program's tables require theirs: see
    // badFiles).
    TableSchemas::definePhone(ds);
    ds.setRequiredFields({});
    ds.setFileName(dir.path("phone.cds"));
    ds.setIndexFieldNames("Fio");
    ds.open(); // the file exists: it is not recreated
    QCOMPARE(ds.fieldCount(), 3);
    QCOMPARE(ds.fieldDef(0), (FieldDef{"Fio", FieldType::String, 80}));
    QCOMPARE(ds.fieldDef(1).type, FieldType::Memo);
    QCOMPARE(ds.fieldDef(2).type, FieldType::Integer);
    QStringList names;
    for (ds.first(); !ds.eof(); ds.next())
        names << ds.fieldByName("Fio").asString();
    QCOMPARE(names, (QStringList{"A", "b", "c"})); // ordered by Fio without regard to case
}

void TestTableFile::columnTypeOfAFile_data()
{
    QTest::addColumn<QString>("declared");
    QTest::addColumn<int>("type"); // FieldType, or -1: the file is refused for the column's unknown type
    QTest::addColumn<int>("size");

    const int string = int(FieldType::String);
    QTest::newRow("VARCHAR(n)") << "VARCHAR(254)" << string << 254;
    QTest::newRow("CHAR(n)") << "CHAR(3)" << string << 3;
    QTest::newRow("any case") << "VarChar(12)" << string << 12;
    QTest::newRow("spaces around the size") << "VARCHAR ( 7 )" << string << 7;
    QTest::newRow("space before the bracket") << "CHAR (2)" << string << 2;
    QTest::newRow("zero") << "CHAR(0)" << string << 0;
    QTest::newRow("size past int") << "VARCHAR(99999999999)" << string << 0;
    QTest::newRow("leading zeros") << "VARCHAR(007)" << string << 7;
    QTest::newRow("negative size") << "VARCHAR(-1)" << -1 << 0;
    QTest::newRow("signed size") << "VARCHAR(+5)" << -1 << 0;
    QTest::newRow("two numbers") << "VARCHAR(5, 2)" << -1 << 0;
    QTest::newRow("fraction") << "VARCHAR(1.5)" << -1 << 0;
    QTest::newRow("without a size") << "VARCHAR" << -1 << 0;
    QTest::newRow("other prefix") << "NVARCHAR(3)" << -1 << 0;
    QTest::newRow("VAR twice") << "VARVARCHAR(3)" << -1 << 0;
    QTest::newRow("longer name") << "CHARACTER(3)" << -1 << 0;
    QTest::newRow("words before") << "LONG VARCHAR(3)" << -1 << 0;
    QTest::newRow("INT inside wins over nothing") << "POINT" << int(FieldType::Integer) << 0;
    QTest::newRow("text") << "TEXT" << int(FieldType::Memo) << 0;
}

void TestTableFile::columnTypeOfAFile()
{
    QFETCH(QString, declared);
    QFETCH(int, type);
    QFETCH(int, size);
    TempAppDir dir;
    QVERIFY(TableQuery::exec(dir.path("phone.cds"), QStringLiteral("CREATE TABLE phone (Fio %1);").arg(declared)));
    DataSet ds;
    ds.setRequiredFields({});
    ds.setFileName(dir.path("phone.cds"));
    try {
        ds.open();
        QVERIFY2(type >= 0, "a column of an unknown type was taken");
        QCOMPARE(ds.fieldCount(), 1);
        QCOMPARE(int(ds.fieldDef(0).type), type);
        QCOMPARE(ds.fieldDef(0).size, size);
    } catch (const Failure &f) {
        QVERIFY2(type < 0, qPrintable(f.text()));
        QVERIFY2(f.text().contains(QStringLiteral("unknown type")), qPrintable(f.text()));
    }
}

void TestTableFile::badFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("says"); // besides the file's path

    QTest::newRow("garbage") << QByteArray("this is not a table at all\n").repeated(200) << QString() << QString();
    QTest::newRow("zero length") << QByteArray() << QString() << QString();
    QTest::newRow("foreign sqlite") << QByteArray() << "CREATE TABLE other (a INTEGER); INSERT INTO other VALUES (1);"
                                    << QString();
    QTest::newRow("foreign column type") << QByteArray() << "CREATE TABLE alarm (id INTEGER PRIMARY KEY, x BLOB);"
                                         << QString();
    QTest::newRow("sqlite header, garbage after")
        << QByteArray("SQLite format 3\0", 16) + QByteArray(4080, '\xAB') << QString() << QString();
    // Every scan reads "Repeat": without it the table is refused at open, not at the first due event.
    QTest::newRow("event table without Repeat")
        << QByteArray()
        << "CREATE TABLE alarm (id INTEGER PRIMARY KEY AUTOINCREMENT, Tip INTEGER, Data DATE, Time TIME, "
           "Execute VARCHAR(254), RepeatHour BOOLEAN, RepeatHourStart TIME, RepeatHourEnd TIME, RepeatValue INTEGER, "
           "RepeatValueName INTEGER, Day1 BOOLEAN, Day2 BOOLEAN, Day3 BOOLEAN, Day4 BOOLEAN, Day5 BOOLEAN, "
           "Day6 BOOLEAN, Day7 BOOLEAN); "
           "INSERT INTO alarm (Tip, Data, Time, Execute) VALUES (0, '2026-03-05', '14:29:10', 'call');"
        << "\"Repeat\"";
}

void TestTableFile::badFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, sql);
    QFETCH(QString, says);

    TempAppDir dir;
    const QString path = dir.path("alarm.cds");
    if (sql.isEmpty())
        QVERIFY(dir.write("alarm.cds", bytes));
    else
        QVERIFY(TableQuery::exec(path, sql));
    const QByteArray before = dir.read("alarm.cds");
    const QDateTime modified = QFileInfo(path).lastModified();

    DataSet ds;
    try {
        TableSchemas::openAlarm(ds, dir.appDir());
        QFAIL("a bad table file was opened");
    } catch (const Failure &f) {
        QVERIFY2(f.text().contains(path), qPrintable(f.text()));
        QVERIFY2(f.text().contains(says), qPrintable(f.text()));
    }
    QVERIFY(!ds.isActive());
    QCOMPARE(dir.read("alarm.cds"), before);
    QCOMPARE(QFileInfo(path).lastModified(), modified);
    QVERIFY(!dir.exists("alarm.cds-journal"));

    // Closing the data set that failed to open does not write anything either.
    ds.close();
    QCOMPARE(dir.read("alarm.cds"), before);
}

void TestTableFile::createNeverReplaces()
{
    TempAppDir dir;
    QVERIFY(dir.write("phone.cds", "user data"));
    DataSet ds;
    TableSchemas::definePhone(ds);
    ds.setFileName(dir.path("phone.cds"));
    QVERIFY_THROWS_EXCEPTION(Failure, ds.createDataSet());
    QCOMPARE(dir.read("phone.cds"), QByteArray("user data"));
}

void TestTableFile::notARegularFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("directory") << "directory";
    QTest::newRow("FIFO") << "fifo";
    QTest::newRow("dangling link") << "dangling";
    QTest::newRow("link to a table elsewhere") << "link";
}

void TestTableFile::notARegularFile()
{
    QFETCH(QString, kind);
    TempAppDir dir;
    TempAppDir elsewhere;
    const QString path = dir.path("alarm.cds");
    const QString target = elsewhere.path("alarm.cds");
    if (kind == "directory") {
        QVERIFY(QDir(dir.appDir()).mkdir("alarm.cds"));
    } else if (kind == "fifo") {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0644), 0);
    } else {
        if (kind == "link") {
            DataSet made;
            TableSchemas::defineAlarm(made);
            made.setFileName(target);
            made.createDataSet();
            made.close();
        }
        QVERIFY(QFile::link(target, path));
    }
    const QByteArray targetBefore = elsewhere.read("alarm.cds");

    // As at start: the missing tables are made, then all three opened. A FIFO must not hold this up (a reader
    // would wait for a writer for ever), nor may anything be made through the link.
    DataSet phone, alarm, econom;
    try {
        TableSchemas::openAll(phone, alarm, econom, dir.appDir());
        QFAIL("opened");
    } catch (const Failure &f) {
        QVERIFY2(f.text().contains(path), qPrintable(f.text()));
        QVERIFY2(f.text().contains("not a regular file"), qPrintable(f.text()));
        QVERIFY2(!f.text().contains("does not exist"), qPrintable(f.text()));
    }
    QVERIFY(!alarm.isActive());
    QCOMPARE(elsewhere.exists("alarm.cds"), kind == "link");
    QCOMPARE(elsewhere.read("alarm.cds"), targetBefore);
    QVERIFY(!elsewhere.exists("alarm.cds-journal"));
    QVERIFY(!dir.exists("alarm.cds-journal"));
    QVERIFY(QFileInfo(path).isSymLink() || QFileInfo(path).isDir() || QFileInfo(path).exists());
}

void TestTableFile::missingFieldNamesTheFile()
{
    // A field the file does not have, asked for by name, names the file where it was looked for.
    TempAppDir dir;
    QVERIFY(TableQuery::exec(dir.path("phone.cds"), "CREATE TABLE phone (Fio VARCHAR(50));"));
    DataSet ds;
    ds.setFileName(dir.path("phone.cds"));
    ds.open();
    try {
        ds.fieldByName("Work");
        QFAIL("found");
    } catch (const Failure &f) {
        QVERIFY2(f.text().contains(dir.path("phone.cds")) && f.text().contains("\"Work\""), qPrintable(f.text()));
    }
}

void TestTableFile::startupCreatesAndOpensAll()
{
    TempAppDir dir;
    DataSet phone, alarm, econom;
    TableSchemas::openAll(phone, alarm, econom, dir.appDir());
    for (const char *name : {"phone.cds", "alarm.cds", "econom.cds"})
        QVERIFY(dir.exists(name));
    QCOMPARE(phone.indexFieldNames(), QString("Fio"));
    QCOMPARE(alarm.indexName(), QString("datatime"));
    QCOMPARE(econom.indexName(), QString("DataTime"));
    QVERIFY(phone.isActive() && alarm.isActive() && econom.isActive());
    QCOMPARE(alarm.recordCount(), 0);

    // A bad alarm file: phone and econom are still created before the failure is raised.
    TempAppDir second;
    QVERIFY(second.write("alarm.cds", "garbage"));
    DataSet p2, a2, e2;
    QVERIFY_THROWS_EXCEPTION(Failure, TableSchemas::openAll(p2, a2, e2, second.appDir()));
    QVERIFY(second.exists("phone.cds") && second.exists("econom.cds"));
    QCOMPARE(second.read("alarm.cds"), QByteArray("garbage"));
}

void TestTableFile::counterSurvivesRestart()
{
    TempAppDir dir;
    {
        DataSet ds;
        TableSchemas::openAlarm(ds, dir.appDir());
        for (int i = 0; i < 5; ++i)
            addEvent(ds, QDate(2026, 1, 1), QTime(10, i), QString::number(i));
        // Delete every record: the file keeps no row, only the counter.
        ds.first();
        while (!ds.isEmpty())
            ds.deleteRecord();
    }
    DataSet ds;
    TableSchemas::openAlarm(ds, dir.appDir());
    QVERIFY(ds.isEmpty());
    addEvent(ds, QDate(2026, 1, 1), QTime(10, 0), "after restart");
    QCOMPARE(ds.fieldByName("id").asInteger(), 6);
}

void TestTableFile::econSavedOnlyAtClose()
{
    TempAppDir dir;
    const QString path = dir.path("econom.cds");
    {
        DataSet ds;
        TableSchemas::openEconom(ds, dir.appDir());
        for (int day = 1; day <= 3; ++day) {
            ds.insert();
            ds.fieldByName("title").setAsString(QString(60, QChar(u'Ж')));
            ds.fieldByName("country").setAsString("USD");
            ds.fieldByName("date").setAsDate(QDate(2026, 1, day));
            ds.fieldByName("time").setAsTime(QTime(12, 30));
            ds.post();
        }
        ds.first();
        QCOMPARE(ds.fieldByName("date").asDate(), QDate(2026, 1, 3)); // newest first
        ds.last();
        ds.deleteRecord();
        QCOMPARE(TableQuery::rows(path, "SELECT count(*) FROM econom"), QStringList{"0"}); // held in memory
    }
    QCOMPARE(TableQuery::rows(path, "SELECT date, time, length(title) FROM econom ORDER BY date"),
             (QStringList{"2026-01-02|12:30:00|50", "2026-01-03|12:30:00|50"}));

    DataSet again;
    TableSchemas::openEconom(again, dir.appDir());
    QCOMPARE(again.recordCount(), 2);
    again.first();
    QCOMPARE(again.fieldByName("title").asString(), QString(50, QChar(u'Ж')));
}

void TestTableFile::batchCommitAndRollback()
{
    TempAppDir dir;
    const QString path = dir.path("alarm.cds");
    DataSet ds;
    TableSchemas::openAlarm(ds, dir.appDir());
    addEvent(ds, QDate(2026, 1, 1), QTime(9, 0), "kept");
    {
        StoreBatch batch(ds);
        for (int i = 0; i < 10; ++i)
            addEvent(ds, QDate(2026, 1, 2), QTime(9, i), "batched");
        batch.commit();
    }
    QCOMPARE(TableQuery::rows(path, "SELECT count(*) FROM alarm"), QStringList{"11"});
    {
        StoreBatch batch(ds);
        addEvent(ds, QDate(2026, 1, 3), QTime(9, 0), "undone");
        ds.first();
        ds.deleteRecord();
        QCOMPARE(ds.recordCount(), 11);
    } // no commit: rolled back
    QCOMPARE(TableQuery::rows(path, "SELECT count(*) FROM alarm"), QStringList{"11"});
    QCOMPARE(ds.recordCount(), 11);
    ds.first();
    QCOMPARE(ds.fieldByName("Execute").asString(), QString("kept"));
    addEvent(ds, QDate(2026, 1, 4), QTime(9, 0), "next");
    QCOMPARE(ds.fieldByName("id").asInteger(), 13); // 12 was handed out inside the undone batch
}

void TestTableFile::failedWriteKeepsEditState()
{
    TempAppDir dir;
    const QString path = dir.path("alarm.cds");
    DataSet ds;
    TableSchemas::openAlarm(ds, dir.appDir());
    addEvent(ds, QDate(2026, 1, 1), QTime(9, 0), "one");

    // Another connection holds the write lock: the post cannot be written and says so.
    sqlite3 *other = nullptr;
    QCOMPARE(sqlite3_open(path.toUtf8().constData(), &other), SQLITE_OK);
    QCOMPARE(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    ds.edit();
    ds.fieldByName("Execute").setAsString("two");
    try {
        ds.post();
        QFAIL("post reported success without writing");
    } catch (const Failure &f) {
        QVERIFY(f.text().contains(path));
    }
    QCOMPARE(ds.state(), DataSet::State::Edit);
    QVERIFY_THROWS_EXCEPTION(Failure, ds.deleteRecord());
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    QCOMPARE(ds.recordCount(), 1);
    ds.post();
    QCOMPARE(TableQuery::rows(path, "SELECT Execute FROM alarm"), QStringList{"two"});
}

QTEST_GUILESS_MAIN(TestTableFile)
#include "tst_TableFile.moc"
