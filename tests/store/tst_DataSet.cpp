// Cursor, states, event order and browsing order of the data set (in memory and write-through).
#include "TempAppDir.h"
#include "platform/Failure.h"
#include "store/DataSet.h"
#include "store/TableSchemas.h"

#include <QtTest>

namespace {

// Records every event of a data set as one letter-word each, in firing order.
class EventLog : public QObject
{
public:
    explicit EventLog(DataSet &ds)
    {
        connect(&ds, &DataSet::afterInsert, this, [this] {
            m_events << "AfterInsert";
        });
        connect(&ds, &DataSet::afterEdit, this, [this] {
            m_events << "AfterEdit";
        });
        connect(&ds, &DataSet::updateRecord, this, [this] {
            m_events << "UpdateRecord";
        });
        connect(&ds, &DataSet::beforePost, this, [this] {
            m_events << "BeforePost";
        });
        connect(&ds, &DataSet::afterPost, this, [this] {
            m_events << "AfterPost";
        });
        connect(&ds, &DataSet::afterCancel, this, [this] {
            m_events << "AfterCancel";
        });
        connect(&ds, &DataSet::afterDelete, this, [this] {
            m_events << "AfterDelete";
        });
        connect(&ds, &DataSet::afterScroll, this, [this] {
            m_events << "AfterScroll";
        });
    }
    QStringList take() { return std::exchange(m_events, {}); }

private:
    QStringList m_events;
};

// A memory-only alarm table holding events at the given "yyyy-MM-dd HH:mm:ss" moments, in that order.
void fillAlarm(DataSet &ds, const QStringList &moments)
{
    for (const QString &m : moments) {
        const QDateTime dt = QDateTime::fromString(m, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        ds.append();
        ds.fieldByName("Data").setAsDate(dt.date());
        ds.fieldByName("Time").setAsTime(dt.time());
        ds.fieldByName("Execute").setAsString(m);
        ds.post();
    }
}

QStringList executeColumn(DataSet &ds)
{
    QStringList out;
    for (int r = 0; r < ds.rowCount(); ++r)
        out << ds.valueAt(r, ds.fieldIndex("Execute")).toString();
    return out;
}

} // namespace

class TestDataSet : public QObject
{
    Q_OBJECT

private slots:
    void eventOrder_data();
    void eventOrder();
    void postKeepsRecordCurrentInIndexOrder();
    void typedReadsOfEmptyFields();
    void writesOutsideEditFail();
    void scanWithDeleteAndEdit();
    void locateById();
    void changingTheOrderKeepsCurrent();
    void persistenceRoundTrip();
};

void TestDataSet::eventOrder_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("stateAfter");

    QTest::newRow("first") << "first" << QStringList{"AfterScroll"} << "Browse";
    QTest::newRow("next moves") << "next" << QStringList{"AfterScroll"} << "Browse";
    QTest::newRow("next at last") << "last,next" << QStringList{} << "Browse";
    QTest::newRow("locate found") << "locate2" << QStringList{"AfterScroll"} << "Browse";
    QTest::newRow("locate missing") << "locate99" << QStringList{} << "Browse";
    QTest::newRow("insert") << "insert" << QStringList{"AfterInsert", "AfterScroll"} << "Insert";
    QTest::newRow("insert post") << "insert,set,post"
                                 << QStringList{"AfterInsert", "AfterScroll", "UpdateRecord", "BeforePost", "AfterPost"}
                                 << "Browse";
    QTest::newRow("insert cancel") << "insert,cancel"
                                   << QStringList{"AfterInsert", "AfterScroll", "AfterCancel", "AfterScroll"}
                                   << "Browse";
    QTest::newRow("edit post") << "edit,set,post" << QStringList{"AfterEdit", "UpdateRecord", "BeforePost", "AfterPost"}
                               << "Browse";
    QTest::newRow("edit cancel") << "edit,cancel" << QStringList{"AfterEdit", "AfterCancel"} << "Browse";
    QTest::newRow("edit twice") << "edit,edit" << QStringList{"AfterEdit"} << "Edit";
    QTest::newRow("delete") << "delete" << QStringList{"AfterDelete", "AfterScroll"} << "Browse";
    QTest::newRow("delete while editing")
        << "edit,set,delete" << QStringList{"AfterEdit", "AfterDelete", "AfterScroll"} << "Browse";
    QTest::newRow("delete while inserting cancels")
        << "insert,delete" << QStringList{"AfterInsert", "AfterScroll", "AfterCancel", "AfterScroll"} << "Browse";
    QTest::newRow("navigation posts a modified edit")
        << "edit,set,next" << QStringList{"AfterEdit", "UpdateRecord", "BeforePost", "AfterPost", "AfterScroll"}
        << "Browse";
    QTest::newRow("navigation cancels an untouched insert")
        << "insert,first" << QStringList{"AfterInsert", "AfterScroll", "AfterCancel", "AfterScroll", "AfterScroll"}
        << "Browse";
    QTest::newRow("post in browse does nothing") << "post" << QStringList{} << "Browse";
    QTest::newRow("cancel in browse does nothing") << "cancel" << QStringList{} << "Browse";
}

void TestDataSet::eventOrder()
{
    QFETCH(QString, operation);
    QFETCH(QStringList, expected);
    QFETCH(QString, stateAfter);

    DataSet ds;
    TableSchemas::defineAlarm(ds);
    ds.createDataSet();
    ds.setIndexName("datatime");
    fillAlarm(ds, {"2026-01-01 10:00:00", "2026-01-02 10:00:00", "2026-01-03 10:00:00"});
    ds.first();
    EventLog log(ds);
    for (const QString &op : operation.split(',')) {
        if (op == "first")
            ds.first();
        else if (op == "last")
            ds.last();
        else if (op == "next")
            ds.next();
        else if (op.startsWith("locate"))
            ds.locate(op.mid(6).toLongLong());
        else if (op == "insert")
            ds.insert();
        else if (op == "edit")
            ds.edit();
        else if (op == "set")
            ds.fieldByName("Execute").setAsString("changed");
        else if (op == "post")
            ds.post();
        else if (op == "cancel")
            ds.cancel();
        else if (op == "delete")
            ds.deleteRecord();
        else
            QFAIL(qPrintable("unknown operation " + op));
        if (op == "last")
            log.take();
    }
    QCOMPARE(log.take(), expected);
    QCOMPARE(QString::fromLatin1(QMetaEnum::fromType<DataSet::State>().valueToKey(int(ds.state()))), stateAfter);
}

void TestDataSet::postKeepsRecordCurrentInIndexOrder()
{
    DataSet ds;
    TableSchemas::defineAlarm(ds);
    ds.createDataSet();
    ds.setIndexName("datatime");
    fillAlarm(ds, {"2026-01-03 10:00:00", "2026-01-01 10:00:00", "2026-01-02 09:00:00", "2026-01-02 08:00:00"});
    QCOMPARE(executeColumn(ds),
             (QStringList{"2026-01-01 10:00:00", "2026-01-02 08:00:00", "2026-01-02 09:00:00", "2026-01-03 10:00:00"}));

    // Move the first event past every other: it takes the last place and stays current.
    ds.first();
    const qint64 id = ds.fieldByName("id").asInteger();
    ds.edit();
    ds.fieldByName("Data").setAsDate(QDate(2026, 2, 1));
    ds.post();
    QCOMPARE(ds.currentRow(), 3);
    QCOMPARE(ds.fieldByName("id").asInteger(), id);
    QVERIFY(!ds.eof());
    ds.next();
    QVERIFY(ds.eof());

    // Same date, time between two others of that day: it goes between them.
    ds.edit();
    ds.fieldByName("Data").setAsDate(QDate(2026, 1, 2));
    ds.fieldByName("Time").setAsTime(QTime(8, 30));
    ds.post();
    QCOMPARE(ds.currentRow(), 1);
    QCOMPARE(ds.fieldByName("id").asInteger(), id);

    // An inserted record takes its place at post too.
    ds.last();
    ds.insert();
    ds.fieldByName("Data").setAsDate(QDate(2025, 12, 31));
    ds.post();
    QCOMPARE(ds.currentRow(), 0);
    QCOMPARE(ds.recordCount(), 5);
}

void TestDataSet::typedReadsOfEmptyFields()
{
    DataSet ds;
    TableSchemas::defineAlarm(ds);
    ds.createDataSet();
    ds.insert();
    QCOMPARE(ds.fieldByName("Tip").asInteger(), 0);
    QCOMPARE(ds.fieldByName("Execute").asString(), QString());
    QVERIFY(!ds.fieldByName("Data").asDate().isValid());
    QVERIFY(!ds.fieldByName("Time").asTime().isValid());
    QCOMPARE(ds.fieldByName("Repeat").asBoolean(), false);
    QVERIFY(ds.fieldByName("Execute").isNull());

    // Writes convert and cut to the field.
    ds.fieldByName("Execute").setAsString(QString(300, 'x'));
    QCOMPARE(ds.fieldByName("Execute").asString().size(), 254);
    ds.fieldByName("Time").setAsTime(QTime(9, 5, 7, 654));
    QCOMPARE(ds.fieldByName("Time").asTime(), QTime(9, 5, 7));
    ds.fieldByName("Repeat").setValue("True");
    QCOMPARE(ds.fieldByName("Repeat").asBoolean(), true);
    ds.fieldByName("Data").setAsDateTime(QDateTime(QDate(2026, 3, 4), QTime(5, 6)));
    QCOMPARE(ds.fieldByName("Data").asDate(), QDate(2026, 3, 4));
    ds.fieldByName("Tip").setValue("2");
    QCOMPARE(ds.fieldByName("Tip").asInteger(), 2);
    QVERIFY_THROWS_EXCEPTION(Failure, ds.fieldByName("Tip").setValue("two"));
    QVERIFY_THROWS_EXCEPTION(Failure, ds.fieldByName("id").setAsInteger(5));
    QVERIFY_THROWS_EXCEPTION(Failure, ds.fieldByName("NoSuchField"));
}

void TestDataSet::writesOutsideEditFail()
{
    DataSet ds;
    TableSchemas::defineAlarm(ds);
    ds.createDataSet();
    fillAlarm(ds, {"2026-01-01 10:00:00"});
    QVERIFY_THROWS_EXCEPTION(Failure, ds.fieldByName("Execute").setAsString("x"));
    QCOMPARE(ds.fieldByName("Execute").asString(), QString("2026-01-01 10:00:00"));

    // A failing BeforePost leaves the record in edit state with its changes.
    connect(&ds, &DataSet::beforePost, this, [] {
        throw Failure("refused");
    });
    ds.edit();
    ds.fieldByName("Execute").setAsString("x");
    QVERIFY_THROWS_EXCEPTION(Failure, ds.post());
    QCOMPARE(ds.state(), DataSet::State::Edit);
    ds.cancel();
    QCOMPARE(ds.fieldByName("Execute").asString(), QString("2026-01-01 10:00:00"));
}

void TestDataSet::scanWithDeleteAndEdit()
{
    // The scheduler's pattern: walk in index order, delete or move records while walking.
    DataSet ds;
    TableSchemas::defineAlarm(ds);
    ds.createDataSet();
    ds.setIndexName("datatime");
    fillAlarm(ds, {"2026-01-01 10:00:00", "2026-01-02 10:00:00", "2026-01-03 10:00:00", "2026-01-04 10:00:00"});

    QStringList visited;
    ds.first();
    while (!ds.eof()) {
        visited << ds.fieldByName("Execute").asString();
        if (ds.currentRow() == ds.rowCount() - 1) {
            ds.deleteRecord(); // the last one: eof follows at once
            continue;
        }
        ds.next();
    }
    QCOMPARE(visited.size(), 4);
    QCOMPARE(ds.recordCount(), 3);
    QVERIFY(ds.eof());

    // Deleting the first while walking makes the next one current.
    ds.first();
    ds.deleteRecord();
    QVERIFY(!ds.eof());
    QCOMPARE(ds.fieldByName("Execute").asString(), QString("2026-01-02 10:00:00"));

    // Deleting everything leaves an empty table at eof and bof.
    ds.deleteRecord();
    ds.deleteRecord();
    QVERIFY(ds.isEmpty());
    QVERIFY(ds.eof() && ds.bof());
    QCOMPARE(ds.currentRow(), -1);
    QVERIFY_THROWS_EXCEPTION(Failure, ds.deleteRecord());
    ds.first();
    QVERIFY(ds.eof());
}

void TestDataSet::locateById()
{
    DataSet ds;
    TableSchemas::defineAlarm(ds);
    ds.createDataSet();
    ds.setIndexName("datatime");
    fillAlarm(ds, {"2026-01-03 10:00:00", "2026-01-01 10:00:00", "2026-01-02 10:00:00"});
    QVERIFY(ds.locate(1));
    QCOMPARE(ds.fieldByName("Execute").asString(), QString("2026-01-03 10:00:00"));
    QCOMPARE(ds.currentRow(), 2);
    QVERIFY(!ds.locate(42));
    QCOMPARE(ds.currentRow(), 2);
    QVERIFY(ds.locate(2));
    QCOMPARE(ds.currentRow(), 0);
}

void TestDataSet::changingTheOrderKeepsCurrent()
{
    DataSet ds;
    TableSchemas::defineAlarm(ds);
    ds.addIndexDef("byText", "Execute", IndexOption::Descending | IndexOption::CaseInsensitive);
    ds.createDataSet();
    fillAlarm(ds, {"2026-01-03 10:00:00", "2026-01-01 10:00:00", "2026-01-02 10:00:00"});
    // Without an index the records keep the order they were added in.
    QCOMPARE(executeColumn(ds), (QStringList{"2026-01-03 10:00:00", "2026-01-01 10:00:00", "2026-01-02 10:00:00"}));
    QVERIFY(ds.locate(3));
    ds.setIndexName("datatime");
    QCOMPARE(ds.currentRow(), 1);
    QCOMPARE(ds.fieldByName("id").asInteger(), 3);
    ds.setIndexName("byText");
    QCOMPARE(executeColumn(ds), (QStringList{"2026-01-03 10:00:00", "2026-01-02 10:00:00", "2026-01-01 10:00:00"}));
    QCOMPARE(ds.fieldByName("id").asInteger(), 3);
    QVERIFY_THROWS_EXCEPTION(Failure, ds.setIndexName("missing"));
    QCOMPARE(ds.indexName(), QString("byText")); // a refused index leaves the order as it was
    QVERIFY_THROWS_EXCEPTION(Failure, ds.setIndexFieldNames("Data; Nothing"));
    ds.setIndexFieldNames("Execute");
    QCOMPARE(ds.indexName(), QString());
    QCOMPARE(executeColumn(ds).first(), QString("2026-01-01 10:00:00"));
}

void TestDataSet::persistenceRoundTrip()
{
    TempAppDir dir;
    qint64 lastId = 0;
    {
        DataSet ds;
        TableSchemas::openAlarm(ds, dir.appDir());
        fillAlarm(ds, {"2026-01-02 10:00:00", "2026-01-01 10:00:00", "2026-01-03 10:00:00"});
        ds.last();
        lastId = ds.fieldByName("id").asInteger();
        QVERIFY(ds.locate(3));
        ds.deleteRecord(); // the largest id
        QVERIFY(ds.locate(1));
        ds.edit();
        ds.fieldByName("Repeat").setAsBoolean(true);
        ds.fieldByName("RepeatHourEnd").setAsTime(QTime(23, 59, 59));
        ds.post();
    }
    DataSet ds;
    TableSchemas::openAlarm(ds, dir.appDir());
    QCOMPARE(ds.recordCount(), 2);
    QCOMPARE(executeColumn(ds), (QStringList{"2026-01-01 10:00:00", "2026-01-02 10:00:00"}));
    QVERIFY(ds.locate(1));
    QCOMPARE(ds.fieldByName("Repeat").asBoolean(), true);
    QCOMPARE(ds.fieldByName("RepeatHourEnd").asTime(), QTime(23, 59, 59));
    QVERIFY(ds.fieldByName("RepeatHourStart").isNull());
    QCOMPARE(lastId, 3);
    ds.append();
    ds.post();
    QCOMPARE(ds.fieldByName("id").asInteger(), 4); // 3 was deleted, and is not given again
}

QTEST_GUILESS_MAIN(TestDataSet)
#include "tst_DataSet.moc"
