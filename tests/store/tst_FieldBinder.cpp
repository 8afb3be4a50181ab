// Controls bound to fields show the current record, follow the cursor, and write back before BeforePost.
#include "platform/Failure.h"
#include "store/DataSet.h"
#include "store/FieldBinder.h"
#include "store/TableSchemas.h"

#include <QCheckBox>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QtTest>

class TestFieldBinder : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void showsAndFollowsCursor();
    void writesBeforeBeforePost();
    void untouchedControlsDoNotModify();
    void disabledControlsStayPut();
    void dateAndTimePickers();
    void disabledControlsDoNotWriteIntoAScan();
    void untouchedShortEditKeepsLongText();
    void controlWithoutUserProperty();

private:
    DataSet *m_ds = nullptr;
    QLineEdit *m_edit = nullptr;
    QCheckBox *m_check = nullptr;
    QPlainTextEdit *m_memo = nullptr;
};

void TestFieldBinder::init()
{
    m_ds = new DataSet;
    TableSchemas::defineAlarm(*m_ds);
    m_ds->createDataSet();
    m_ds->setIndexName("datatime");
    const QList<std::pair<QString, bool>> rows{{"first", true}, {"second", false}};
    for (int i = 0; i < rows.size(); ++i) {
        m_ds->append();
        m_ds->fieldByName("Data").setAsDate(QDate(2026, 1, i + 1));
        m_ds->fieldByName("Execute").setAsString(rows[i].first);
        m_ds->fieldByName("Repeat").setAsBoolean(rows[i].second);
        m_ds->post();
    }
    m_ds->first();
    m_edit = new QLineEdit;
    m_check = new QCheckBox;
    m_memo = new QPlainTextEdit;
    new FieldBinder(m_ds, m_edit, "Execute", m_edit);
    new FieldBinder(m_ds, m_check, "Repeat", m_check);
    new FieldBinder(m_ds, m_memo, "Execute", m_memo);
}

void TestFieldBinder::cleanup()
{
    delete m_edit;
    delete m_check;
    delete m_memo;
    delete m_ds;
}

void TestFieldBinder::showsAndFollowsCursor()
{
    QCOMPARE(m_edit->text(), QString("first"));
    QCOMPARE(m_check->isChecked(), true);
    QCOMPARE(m_memo->toPlainText(), QString("first"));
    m_ds->next();
    QCOMPARE(m_edit->text(), QString("second"));
    QCOMPARE(m_check->isChecked(), false);

    // A new record shows empty; the program's own write into a field shows at once.
    m_ds->insert();
    QCOMPARE(m_edit->text(), QString());
    m_ds->fieldByName("Execute").setAsString("Позвонить Иванову");
    QCOMPARE(m_edit->text(), QString("Позвонить Иванову"));
    m_ds->cancel();
    QCOMPARE(m_edit->text(), QString("second"));
}

void TestFieldBinder::writesBeforeBeforePost()
{
    QString seenInBeforePost;
    bool repeatInBeforePost = true;
    connect(m_ds, &DataSet::beforePost, this, [&] {
        seenInBeforePost = m_ds->fieldByName("Execute").asString();
        repeatInBeforePost = m_ds->fieldByName("Repeat").asBoolean();
    });
    m_ds->edit();
    m_memo->setPlainText("typed in the memo");
    m_edit->setText("typed by the user");
    m_check->setChecked(false);
    m_ds->post();
    // The edit wrote first; the memo, bound to the same field, then showed that value and had nothing to add.
    QCOMPARE(seenInBeforePost, QString("typed by the user"));
    QCOMPARE(repeatInBeforePost, false);
    QCOMPARE(m_ds->fieldByName("Execute").asString(), QString("typed by the user"));
    QCOMPARE(m_memo->toPlainText(), QString("typed by the user")); // refreshed after the post

    // Outside edit state typing into a control changes nothing.
    m_edit->setText("not stored");
    m_ds->post();
    m_ds->next();
    m_ds->prior();
    QCOMPARE(m_ds->fieldByName("Execute").asString(), QString("typed by the user"));
}

void TestFieldBinder::untouchedControlsDoNotModify()
{
    m_ds->edit();
    emit m_ds->updateRecord();
    QVERIFY(!m_ds->isModified());
    m_ds->cancel();

    // A new record with empty controls keeps its fields empty.
    m_ds->insert();
    m_ds->post();
    QVERIFY(m_ds->fieldByName("Execute").isNull());
    QVERIFY(m_ds->fieldByName("Repeat").isNull());
}

void TestFieldBinder::disabledControlsStayPut()
{
    m_ds->disableControls();
    m_ds->next();
    QCOMPARE(m_edit->text(), QString("first"));
    m_ds->enableControls();
    QCOMPARE(m_edit->text(), QString("second"));
}

void TestFieldBinder::dateAndTimePickers()
{
    QDateTimeEdit dateEdit(QDateTime(QDate(2000, 1, 1), QTime(12, 34, 56)));
    QDateTimeEdit timeEdit(QDateTime(QDate(2000, 1, 1), QTime(0, 0)));
    new FieldBinder(m_ds, &dateEdit, "Data", &dateEdit);
    new FieldBinder(m_ds, &timeEdit, "RepeatHourStart", &timeEdit);
    QCOMPARE(dateEdit.date(), QDate(2026, 1, 1));
    QCOMPARE(dateEdit.time(), QTime(12, 34, 56)); // the date field leaves the time part alone
    m_ds->edit();
    dateEdit.setDateTime(QDateTime(QDate(2026, 3, 8), QTime(1, 2, 3)));
    timeEdit.setDateTime(QDateTime(QDate(2030, 1, 1), QTime(7, 45, 30, 500)));
    m_ds->post();
    QCOMPARE(m_ds->fieldByName("Data").asDate(), QDate(2026, 3, 8));
    QCOMPARE(m_ds->fieldByName("RepeatHourStart").asTime(), QTime(7, 45, 30));
    QCOMPARE(m_ds->currentRow(), 1); // it moved after "second" and stayed current
}

void TestFieldBinder::disabledControlsDoNotWriteIntoAScan()
{
    // The user looks at "first"; a scan with disabled controls edits "second" and posts it.
    m_edit->setText("half-typed"); // not even in edit state: never reaches any record
    m_ds->disableControls();
    m_ds->next();
    m_ds->edit();
    m_ds->fieldByName("Data").setAsDate(QDate(2026, 6, 1));
    m_ds->post();
    QCOMPARE(m_ds->fieldByName("Execute").asString(), QString("second"));
    QCOMPARE(m_ds->fieldByName("Repeat").asBoolean(), false);
    QVERIFY(m_ds->locate(1));
    m_ds->enableControls();
    QCOMPARE(m_edit->text(), QString("first"));
    QCOMPARE(m_ds->fieldByName("Execute").asString(), QString("first"));
}

void TestFieldBinder::untouchedShortEditKeepsLongText()
{
    QLineEdit shortEdit;
    shortEdit.setMaxLength(100);
    new FieldBinder(m_ds, &shortEdit, "Execute", &shortEdit);
    const QString longText = QString("long ").repeated(50);
    m_ds->edit();
    m_ds->fieldByName("Execute").setAsString(longText);
    m_ds->post();
    QCOMPARE(shortEdit.text().size(), 100);
    m_ds->edit();
    m_ds->fieldByName("Tip").setAsInteger(1);
    m_ds->post();
    QCOMPARE(m_ds->fieldByName("Execute").asString(), longText.left(250));
}

void TestFieldBinder::controlWithoutUserProperty()
{
    QObject plain;
    QVERIFY_THROWS_EXCEPTION(Failure, FieldBinder(m_ds, &plain, "Execute"));
}

QTEST_MAIN(TestFieldBinder)
#include "tst_FieldBinder.moc"
