// The item model follows the data set's cursor and rows, and moves the cursor when a view selects a row.
#include "TempAppDir.h"
#include "platform/Failure.h"
#include "store/DataSet.h"
#include "store/DataSetModel.h"
#include "store/TableSchemas.h"

#include <QAbstractItemModelTester>
#include <QtTest>

namespace {

void addContact(DataSet &ds, const QString &name)
{
    ds.insert();
    ds.fieldByName("Fio").setAsString(name);
    ds.post();
}

QStringList shownNames(const DataSetModel &model)
{
    QStringList out;
    for (int r = 0; r < model.rowCount(); ++r)
        out << model.index(r, 0).data().toString();
    return out;
}

} // namespace

class TestDataSetModel : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void rowsFollowChanges();
    void selectionFollowsCursor();
    void viewSelectionMovesCursor();
    void disabledControlsFreezeSelection();
    void columnsAndValues();
    void dataSetGoneFirst();
    void refusedMoveIsReported();
    void modelBeforeOpen();

private:
    DataSet *m_ds = nullptr;
    DataSetModel *m_model = nullptr;
    QAbstractItemModelTester *m_tester = nullptr;
};

void TestDataSetModel::init()
{
    m_ds = new DataSet;
    TableSchemas::definePhone(*m_ds);
    m_ds->createDataSet();
    m_ds->setIndexFieldNames("Fio");
    m_model = new DataSetModel(m_ds);
    m_model->setColumns({"Fio"});
    // Checks every notification against the rows the model reports, after each change.
    m_tester = new QAbstractItemModelTester(m_model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    for (const char *name : {"Петров", "Антонов", "Яковлев", "Борисов"})
        addContact(*m_ds, QString::fromUtf8(name));
}

void TestDataSetModel::cleanup()
{
    delete m_tester;
    delete m_model;
    delete m_ds;
}

void TestDataSetModel::rowsFollowChanges()
{
    QCOMPARE(shownNames(*m_model), (QStringList{"Антонов", "Борисов", "Петров", "Яковлев"}));

    // An insert shows an empty row at the cursor; its post moves it to its place.
    m_ds->locate("Fio", "Петров");
    m_ds->insert();
    QCOMPARE(m_model->rowCount(), 5);
    QCOMPARE(m_model->index(2, 0).data(), QVariant());
    m_ds->fieldByName("Fio").setAsString("Васильев");
    m_ds->post();
    QCOMPARE(shownNames(*m_model), (QStringList{"Антонов", "Борисов", "Васильев", "Петров", "Яковлев"}));

    // An edit that changes the order moves the row; a cancelled insert takes its row away again.
    m_ds->first();
    m_ds->edit();
    m_ds->fieldByName("Fio").setAsString("Шаров");
    QCOMPARE(m_model->index(0, 0).data().toString(), QString("Шаров")); // shown while editing
    m_ds->post();
    QCOMPARE(shownNames(*m_model), (QStringList{"Борисов", "Васильев", "Петров", "Шаров", "Яковлев"}));
    m_ds->insert();
    m_ds->cancel();
    QCOMPARE(m_model->rowCount(), 5);

    m_ds->deleteRecord();
    QCOMPARE(shownNames(*m_model), (QStringList{"Борисов", "Васильев", "Петров", "Яковлев"}));
    m_ds->close();
    QCOMPARE(m_model->rowCount(), 0);
}

void TestDataSetModel::selectionFollowsCursor()
{
    QItemSelectionModel *sel = m_model->selectionModel();
    m_ds->first();
    QCOMPARE(sel->currentIndex().row(), 0);
    m_ds->next();
    m_ds->next();
    QCOMPARE(sel->currentIndex().row(), 2);
    QVERIFY(sel->isRowSelected(2, {}));
    QCOMPARE(sel->selectedRows().size(), 1);

    // After a post the selection stays on the posted record at its new row.
    m_ds->edit();
    m_ds->fieldByName("Fio").setAsString("Аааа");
    m_ds->post();
    QCOMPARE(sel->currentIndex().row(), 0);
    QCOMPARE(sel->currentIndex().data().toString(), QString("Аааа"));

    m_ds->last();
    m_ds->deleteRecord();
    QCOMPARE(sel->currentIndex().row(), m_ds->currentRow());
    QCOMPARE(m_model->currentRow(), 2);
}

void TestDataSetModel::viewSelectionMovesCursor()
{
    QSignalSpy scrolls(m_ds, &DataSet::afterScroll);
    m_model->selectionModel()->setCurrentIndex(m_model->index(3, 0), QItemSelectionModel::ClearAndSelect);
    QCOMPARE(m_ds->currentRow(), 3);
    QCOMPARE(m_ds->fieldByName("Fio").asString(), QString("Яковлев"));
    QCOMPARE(scrolls.size(), 1);

    // Selecting another row while editing posts the edit first (it was modified).
    m_ds->edit();
    m_ds->fieldByName("Phone").setAsString("123");
    m_model->selectionModel()->setCurrentIndex(m_model->index(0, 0), QItemSelectionModel::ClearAndSelect);
    QCOMPARE(m_ds->state(), DataSet::State::Browse);
    QCOMPARE(m_ds->fieldByName("Fio").asString(), QString("Антонов"));
    QVERIFY(m_ds->locate("Fio", "Яковлев"));
    QCOMPARE(m_ds->fieldByName("Phone").asString(), QString("123"));
}

void TestDataSetModel::disabledControlsFreezeSelection()
{
    m_ds->locate("Fio", "Борисов");
    QCOMPARE(m_model->currentRow(), 1);
    m_ds->disableControls();
    m_ds->disableControls();
    QSignalSpy scrolls(m_ds, &DataSet::afterScroll);
    for (m_ds->first(); !m_ds->eof(); m_ds->next())
        ;
    QCOMPARE(scrolls.size(), 4); // events still fire
    QCOMPARE(m_model->currentRow(), 1);
    m_ds->first();
    m_ds->enableControls();
    QCOMPARE(m_model->currentRow(), 1); // still nested
    m_ds->enableControls();
    QCOMPARE(m_model->currentRow(), 0);
}

void TestDataSetModel::columnsAndValues()
{
    DataSet alarm;
    TableSchemas::defineAlarm(alarm);
    alarm.createDataSet();
    DataSetModel model(&alarm);
    QCOMPARE(model.columnCount(), 18);
    QCOMPARE(model.headerData(4, Qt::Horizontal).toString(), QString("Execute"));
    alarm.insert();
    alarm.fieldByName("Data").setAsDate(QDate(2026, 5, 1));
    alarm.fieldByName("Repeat").setAsBoolean(true);
    alarm.post();
    QCOMPARE(model.index(0, 0).data(), QVariant(qint64(1)));
    QCOMPARE(model.index(0, 2).data(), QVariant(QDate(2026, 5, 1)));
    QCOMPARE(model.index(0, 8).data(), QVariant(true));
    QVERIFY(model.index(0, 3).data().isNull());
}

void TestDataSetModel::dataSetGoneFirst()
{
    QCOMPARE(m_model->rowCount(), 4);
    delete m_ds; // closing at exit: the grid may outlive its table for a moment
    m_ds = nullptr;
    QCOMPARE(m_model->rowCount(), 0);
    QCOMPARE(m_model->columnCount(), 0);
    QVERIFY(m_model->dataSet() == nullptr);
}

void TestDataSetModel::refusedMoveIsReported()
{
    // The record being edited cannot be posted: the view's choice of another row is refused and reported.
    connect(m_ds, &DataSet::beforePost, this, [] {
        throw Failure("Поле не заполнено");
    });
    QSignalSpy failures(m_model, &DataSetModel::failed);
    m_ds->first();
    m_ds->edit();
    m_ds->fieldByName("Phone").setAsString("1");
    m_model->selectionModel()->setCurrentIndex(m_model->index(2, 0), QItemSelectionModel::ClearAndSelect);
    QCOMPARE(failures.size(), 1);
    QCOMPARE(failures[0][0].toString(), QString("Поле не заполнено"));
    QCOMPARE(m_ds->state(), DataSet::State::Edit);
    QCOMPARE(m_ds->currentRow(), 0);
    QCOMPARE(m_model->currentRow(), 0); // the selection went back to the record being edited
}

void TestDataSetModel::modelBeforeOpen()
{
    // The main window makes its grids before the tables are opened, and a bad file leaves them empty.
    TempAppDir dir;
    {
        DataSet filler;
        TableSchemas::openPhone(filler, dir.appDir());
        addContact(filler, "Борисов");
        addContact(filler, "Антонов");
    }
    QVERIFY(dir.write("alarm.cds", "not a table"));
    DataSet phone, alarm;
    DataSetModel phoneModel(&phone), alarmModel(&alarm);
    QAbstractItemModelTester phoneTester(&phoneModel, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QAbstractItemModelTester alarmTester(&alarmModel, QAbstractItemModelTester::FailureReportingMode::QtTest);
    TableSchemas::openPhone(phone, dir.appDir());
    QCOMPARE(phoneModel.rowCount(), 2);
    QCOMPARE(phoneModel.columnCount(), 7);
    QCOMPARE(phoneModel.index(0, 0).data().toString(), QString("Антонов"));
    QCOMPARE(phoneModel.currentRow(), 0);
    QVERIFY_THROWS_EXCEPTION(Failure, TableSchemas::openAlarm(alarm, dir.appDir()));
    QCOMPARE(alarmModel.rowCount(), 0);
    QCOMPARE(alarmModel.columnCount(), 0);
}

QTEST_GUILESS_MAIN(TestDataSetModel)
#include "tst_DataSetModel.moc"
