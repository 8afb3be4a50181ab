// The phone book: list order, editing through the navigator, the delete question, the name's hint and the
// call reminder that opens a planner event.
#include "PlannerFixture.h"
#include "notes/PhoneBookPanel.h"
#include "planner/PlannerPanel.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTest>
#include <QToolButton>

namespace {

using Button = DataSetNavigatorWidget::Button;

/// An open phone book in a fresh program folder, its panel, and a planner for the call reminders.
struct PhoneFixture : PlannerFixture
{
    DataSet phone;
    QWidget window;
    PhoneBookPanel *panel = nullptr;
    PlannerPanel *planner = nullptr;

    PhoneFixture()
    {
        TableSchemas::openPhone(phone, dir.appDir());
        planner = new PlannerPanel(&alarm, &scheduler, fakes.services(), &window);
        panel = new PhoneBookPanel(&phone, fakes.services(), &window);
        panel->setNewEventWithText([this](const QString &text) {
            planner->newEventWithText(text);
        });
        window.resize(510, 290);
        window.show();
        window.activateWindow();
        if (!QTest::qWaitForWindowActive(&window))
            qWarning("the test window did not become active");
    }

    QLineEdit *edit(int i) const { return panel->edits().at(i); }

    void addContact(const QString &name, const QString &phoneNumber = QString())
    {
        panel->navigate(Button::Insert);
        edit(0)->setText(name);
        edit(2)->setText(phoneNumber);
        panel->navigate(Button::Post);
    }

    QStringList listed() const
    {
        QStringList names;
        QAbstractItemModel *model = panel->grid()->model();
        for (int r = 0; r < model->rowCount(); ++r)
            names << model->index(r, 0).data().toString();
        return names;
    }

    /// The names stored in the file, read by a data set of its own.
    QStringList inFile() const
    {
        DataSet again;
        TableSchemas::openPhone(again, dir.appDir());
        QStringList names;
        for (again.first(); !again.eof(); again.next())
            names << again.fieldByName(QStringLiteral("Fio")).asString();
        return names;
    }

    bool fieldsWritable() const
    {
        bool all = !panel->memo()->isReadOnly();
        for (QLineEdit *e : panel->edits())
            all = all && !e->isReadOnly();
        return all;
    }
};

} // namespace

class TestPhoneBook : public QObject
{
    Q_OBJECT
private slots:
    void postedContactsAreListedByNameAndSavedAtOnce()
    {
        PhoneFixture f;
        QVERIFY(!f.fieldsWritable());
        QTest::keyClicks(f.edit(0), QStringLiteral("x"));
        QCOMPARE(f.edit(0)->text(), QString());
        f.panel->navigate(Button::Insert);
        QVERIFY(f.fieldsWritable());
        QTest::keyClicks(f.edit(0), QStringLiteral("Vera"));
        f.panel->navigate(Button::Post);
        QVERIFY(!f.fieldsWritable());
        QCOMPARE(f.inFile(), QStringList{QStringLiteral("Vera")});

        for (const char *name : {"Борис", "анна", "Глеб", "вера", "alex"})
            f.addContact(QString::fromUtf8(name));
        const QStringList ordered{QStringLiteral("alex"),  QStringLiteral("Vera"), QStringLiteral("анна"),
                                  QStringLiteral("Борис"), QStringLiteral("вера"), QStringLiteral("Глеб")};
        QCOMPARE(f.listed(), ordered);
        QCOMPARE(f.inFile(), ordered);
    }

    void cancelRestoresTheContactAndLocksTheFields()
    {
        PhoneFixture f;
        f.addContact(QStringLiteral("Анна"), QStringLiteral("+7 495 000-00-00"));
        f.panel->navigate(Button::Edit);
        QVERIFY(f.fieldsWritable());
        f.edit(0)->setText(QStringLiteral("Анна Петровна"));
        f.panel->navigate(Button::Cancel);
        QVERIFY(!f.fieldsWritable());
        QCOMPARE(f.edit(0)->text(), QStringLiteral("Анна"));
        QCOMPARE(f.edit(2)->text(), QStringLiteral("+7 495 000-00-00"));
        QCOMPARE(f.inFile(), QStringList{QStringLiteral("Анна")});
    }

    void deleteAsksFirst()
    {
        PhoneFixture f;
        f.addContact(QStringLiteral("Анна"));
        f.addContact(QStringLiteral("Борис"));
        f.fakes.prompts.answers = {false};
        f.panel->navigate(Button::Delete);
        QCOMPARE(f.fakes.prompts.shown.last().text, QStringLiteral("Delete record?"));
        QCOMPARE(f.listed().size(), 2);

        // Ctrl+Delete in the list asks the same question.
        f.fakes.prompts.answers = {true};
        f.panel->grid()->setFocus();
        QTest::keyClick(f.panel->grid(), Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(f.fakes.prompts.shown.size(), 2);
        QCOMPARE(f.listed().size(), 1);
        QCOMPARE(f.inFile().size(), 1);
    }

    void nameHintFollowsTheCurrentContact()
    {
        PhoneFixture f;
        const QString longName = QStringLiteral("Константинопольский Константин Константинович");
        f.addContact(longName);
        f.addContact(QStringLiteral("Анна"));
        QVERIFY(f.phone.locate(QStringLiteral("Fio"), longName));
        QCOMPARE(f.edit(0)->toolTip(), longName);
        f.panel->grid()->selectRow(0);
        QCOMPARE(f.edit(0)->toolTip(), QStringLiteral("Анна"));
    }

    void panelMadeOverAFilledTableShowsTheCurrentContact()
    {
        // The main window makes its panel after the first paint, when the table has long been open.
        PhoneFixture f;
        const QString longName = QStringLiteral("Константинопольский Константин Константинович");
        f.addContact(QStringLiteral("Анна"), QStringLiteral("+7 495 000-00-01"));
        f.addContact(longName, QStringLiteral("+7 495 000-00-02"));
        QVERIFY(f.phone.locate(QStringLiteral("Fio"), longName));

        PhoneBookPanel later(&f.phone, f.fakes.services(), &f.window);
        QCOMPARE(later.grid()->model()->rowCount(), 2);
        QCOMPARE(later.grid()->currentIndex().data().toString(), longName);
        QCOMPARE(later.edits().at(0)->text(), longName);
        QCOMPARE(later.edits().at(2)->text(), QStringLiteral("+7 495 000-00-02"));
        QCOMPARE(later.edits().at(0)->toolTip(), longName);
        QVERIFY(later.edits().at(0)->isReadOnly());
        QVERIFY(later.findChild<QToolButton *>(QStringLiteral("nbEdit"))->isEnabled());
        QVERIFY(!later.findChild<QToolButton *>(QStringLiteral("nbPost"))->isEnabled());
    }

    void callReminder_data()
    {
        QTest::addColumn<QString>("contact");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<QString>("question");
        QTest::addColumn<QString>("eventText");
        QTest::newRow("yes") << QStringLiteral("Анна") << true
                             << QStringLiteral("Создать напоминание о звонке для Анна?")
                             << QStringLiteral("Позвонить Анна");
        QTest::newRow("no") << QStringLiteral("Анна") << false
                            << QStringLiteral("Создать напоминание о звонке для Анна?") << QString();
        QTest::newRow("empty book") << QString() << true << QStringLiteral("Создать напоминание о звонке для ?")
                                    << QStringLiteral("Позвонить ");
    }
    void callReminder()
    {
        QFETCH(QString, contact);
        QFETCH(bool, answer);
        QFETCH(QString, question);
        QFETCH(QString, eventText);
        PhoneFixture f;
        if (!contact.isEmpty())
            f.addContact(contact);
        f.fakes.prompts.answers = {answer};
        QTest::mouseClick(f.panel->callButton(), Qt::LeftButton);
        QCOMPARE(f.fakes.prompts.shown.last().text, question);
        if (eventText.isEmpty()) {
            QCOMPARE(f.alarm.state(), DataSet::State::Browse);
            return;
        }
        // The planner holds a new event with the text, and the focus is on its text edit.
        QCOMPARE(f.alarm.state(), DataSet::State::Insert);
        auto *text = f.window.findChild<QLineEdit *>(QStringLiteral("DBEdit10"));
        QCOMPARE(text->text(), eventText);
        QTRY_COMPARE(text->hasFocus(), true);
    }
};

QTEST_MAIN(TestPhoneBook)
#include "test_phonebook.moc"
