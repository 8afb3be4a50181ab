// The event editor: layout, editing mode, the values of a new event and the rules applied when it is stored.
#include "PlannerFixture.h"

#include "planner/PlannerPanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDateTimeEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTableView>
#include <QTimeEdit>
#include <QToolButton>
#include <QtTest>

namespace {

struct PanelFixture : PlannerFixture
{
    PlannerPanel panel;
    explicit PanelFixture(const QDateTime &now = QDateTime(QDate(2012, 9, 12), QTime(9, 5, 30)))
        : PlannerFixture(now), panel(&alarm, &scheduler, fakes.services())
    {}
    template<typename T>
    T *get(const char *name)
    {
        return panel.findChild<T *>(QLatin1String(name));
    }
    void choose(const char *combo, int index)
    {
        auto *box = get<QComboBox>(combo);
        box->setCurrentIndex(index);
        emit box->activated(index);
    }
    PlannerEvent current() { return AlarmFields::read(alarm); }
};

} // namespace

class TestPlannerPanel : public QObject
{
    Q_OBJECT
private slots:
    void controlsSitAtTheirPlaces_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("rect");
        QTest::newRow("grid") << "DBGrid2" << QRect(8, 68, 234, 189);
        QTest::newRow("navigator") << "DBNavigator2" << QRect(8, 257, 234, 25);
        QTest::newRow("banner") << "Panel7" << QRect(8, 8, 234, 61);
        QTest::newRow("text") << "DBEdit10" << QRect(248, 75, 205, 19);
        QTest::newRow("browse") << "SpeedButton4" << QRect(453, 75, 19, 19);
        QTest::newRow("repeat group") << "GroupBox1" << QRect(248, 99, 224, 183);
    }
    void controlsSitAtTheirPlaces()
    {
        QFETCH(QString, name);
        QFETCH(QRect, rect);
        PanelFixture f;
        QCOMPARE(f.panel.size(), QSize(481, 290));
        QCOMPARE(f.panel.objectName(), QStringLiteral("Panel4"));
        auto *w = f.panel.findChild<QWidget *>(name);
        QVERIFY(w);
        QCOMPARE(w->geometry(), rect);
    }

    void gridColumnKeepsItsWidthOnceTheTableOpens()
    {
        // The main window builds the panel before the tables open; opening the table resets the grid's header.
        TempAppDir dir;
        FakeServices fakes;
        DataSet alarm;
        PlannerPanel panel(&alarm, nullptr, fakes.services());
        auto *grid = panel.findChild<QTableView *>(QStringLiteral("DBGrid2"));
        TableSchemas::openAlarm(alarm, dir.appDir());
        QCOMPARE(grid->columnWidth(0), 216);
        panel.navigate(PlannerPanel::NavButton::Refresh);
        QCOMPARE(grid->columnWidth(0), 216);
    }

    void pickersShowTheirWholeText_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::newRow("date") << "DateTimePicker1"
                              << "28.09.2026";
        QTest::newRow("event time") << "DateTimePicker2"
                                    << "23:59:59";
        QTest::newRow("hour window start") << "DateTimePicker3"
                                           << "23:59:59";
        QTest::newRow("hour window end") << "DateTimePicker4"
                                         << "23:59:59";
    }
    void pickersShowTheirWholeText()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        PanelFixture f;
        f.panel.show(); // the pickers lay out their text fields when shown
        auto *picker = f.panel.findChild<QDateTimeEdit *>(name);
        QVERIFY(picker);
        picker->setDate(QDate(2026, 9, 28));
        picker->setTime(QTime(23, 59, 59));
        auto *edit = picker->findChild<QLineEdit *>();
        QCOMPARE(edit->text(), text);
        // A line edit keeps 2 pixels either side of its text and one for the cursor; less, and the text scrolls.
        QVERIFY2(edit->width() >= edit->fontMetrics().horizontalAdvance(text) + 5,
                 qPrintable(QStringLiteral("%1 px for %2 px of text")
                                .arg(edit->width())
                                .arg(edit->fontMetrics().horizontalAdvance(text))));
        // Still inside the editor, clear of its neighbours: the other pickers and the labels that name them.
        QWidget *area = picker->parentWidget();
        QVERIFY(area->rect().contains(picker->geometry()));
        for (auto *other : area->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
            if (other != picker && other->isVisibleTo(area)
                && (qobject_cast<QLabel *>(other) || other->objectName().startsWith(QLatin1String("Date"))))
                QVERIFY2(!other->geometry().intersects(picker->geometry()), qPrintable(other->objectName()));
    }

    void navigatorHintsAndEditingMode()
    {
        PanelFixture f;
        QStringList hints;
        for (auto *b : f.get<QWidget>("DBNavigator2")->findChildren<QToolButton *>())
            hints << b->toolTip();
        QCOMPARE(hints, (QStringList{"Insert record", "Delete record", "Edit record", "Post edit", "Cancel edit",
                                     "Refresh data"}));
        QVERIFY(!f.get<QComboBox>("ComboBox2")->isEnabled());
        QVERIFY(f.get<QLineEdit>("DBEdit10")->isReadOnly());
        QVERIFY(f.scheduler.isActive());
        f.panel.navigate(PlannerPanel::NavButton::Insert);
        QVERIFY(!f.scheduler.isActive());
        QVERIFY(f.get<QComboBox>("ComboBox2")->isEnabled());
        QVERIFY(f.get<QGroupBox>("GroupBox1")->isEnabled());
        QVERIFY(!f.get<QLineEdit>("DBEdit10")->isReadOnly());
        f.panel.navigate(PlannerPanel::NavButton::Cancel);
        QVERIFY(f.scheduler.isActive());
        QVERIFY(!f.get<QDateEdit>("DateTimePicker1")->isEnabled());
        QCOMPARE(f.alarm.recordCount(), 0);
    }

    void newEventGetsItsDefaultsAndInheritsTheKindShown()
    {
        PanelFixture f;
        f.add(PlannerFixture::event(1, QDateTime(QDate(2012, 9, 13), QTime(8, 0)), "/usr/bin/xclock"));
        f.alarm.first();
        f.panel.navigate(PlannerPanel::NavButton::Insert);
        QCOMPARE(f.get<QDateEdit>("DateTimePicker1")->date(), QDate(2012, 9, 12));
        QCOMPARE(f.get<QTimeEdit>("DateTimePicker2")->time(), QTime(9, 5, 30));
        QCOMPARE(f.get<QComboBox>("ComboBox4")->currentIndex(), 2);
        QCOMPARE(f.get<QComboBox>("ComboBox3")->currentIndex(), 0);
        QCOMPARE(f.get<QTimeEdit>("DateTimePicker4")->time(), QTime(23, 59, 59));
        f.get<QLineEdit>("DBEdit10")->setText(QStringLiteral("/usr/bin/xeyes"));
        f.panel.navigate(PlannerPanel::NavButton::Post);
        const PlannerEvent e = f.current();
        QCOMPARE(e.tip, 1);
        QCOMPARE(QDateTime(e.data, e.time), QDateTime(QDate(2012, 9, 12), QTime(9, 5, 30)));
        QCOMPARE(e.repeatValueName, 2);
        QCOMPARE(e.repeatValue, 0);
        QCOMPARE(e.repeatHourStart, QTime(0, 0));
        QCOMPARE(e.repeatHourEnd, QTime(23, 59, 59));
        QVERIFY(!e.repeat);
        QCOMPARE(e.execute, QStringLiteral("/usr/bin/xeyes"));
    }

    void storingRules_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("repeat");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::newRow("blank reminder") << 0 << false << "  "
                                        << "Запланировано событие на 12.09.2012 23:30";
        QTest::newRow("blank repeating reminder") << 0 << true << ""
                                                  << "Запланировано периодическое событие c 12.09.2012 23:30";
        QTest::newRow("power-off replaces what was typed") << 2 << false << "Позвонить"
                                                           << "Выключить компьютер 12.09.2012 в 23:30";
        QTest::newRow("sleep keeps an empty text") << 3 << false << ""
                                                   << "";
    }
    void storingRules()
    {
        QFETCH(int, kind);
        QFETCH(bool, repeat);
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        PanelFixture f;
        f.panel.navigate(PlannerPanel::NavButton::Insert);
        f.get<QLineEdit>("DBEdit10")->setText(typed);
        f.choose("ComboBox2", kind);
        f.get<QTimeEdit>("DateTimePicker2")->setTime(QTime(23, 30, 0));
        f.get<QCheckBox>("DBCheckBox8")->setChecked(repeat);
        f.panel.navigate(PlannerPanel::NavButton::Post);
        QCOMPARE(f.current().execute, stored);
        QCOMPARE(f.current().tip, kind);
    }

    void powerOffTextFollowsEveryPost()
    {
        PanelFixture f;
        f.panel.navigate(PlannerPanel::NavButton::Insert);
        f.choose("ComboBox2", 2);
        f.panel.navigate(PlannerPanel::NavButton::Post);
        f.panel.navigate(PlannerPanel::NavButton::Edit);
        f.get<QDateEdit>("DateTimePicker1")->setDate(QDate(2012, 9, 14));
        f.panel.navigate(PlannerPanel::NavButton::Post);
        QCOMPARE(f.current().execute, QStringLiteral("Выключить компьютер 14.09.2012 в 9:05"));
    }

    void repeatSwitchSetsEveryWeekdayWhileEditing()
    {
        PanelFixture f;
        auto *repeat = f.get<QCheckBox>("DBCheckBox8");
        f.panel.navigate(PlannerPanel::NavButton::Insert);
        repeat->setChecked(true);
        for (int i = 1; i <= 7; ++i)
            QVERIFY(f.get<QCheckBox>(qPrintable(QStringLiteral("Day%1").arg(i)))->isChecked());
        QVERIFY(f.get<QComboBox>("ComboBox4")->isEnabled());
        f.panel.navigate(PlannerPanel::NavButton::Post);
        QCOMPARE(f.current().days, (std::array<bool, 7>{true, true, true, true, true, true, true}));
        f.panel.navigate(PlannerPanel::NavButton::Edit);
        repeat->setChecked(false);
        f.panel.navigate(PlannerPanel::NavButton::Post);
        QCOMPARE(f.current().days, (std::array<bool, 7>{}));
        QVERIFY(!f.get<QComboBox>("ComboBox4")->isEnabled());
    }

    void minutesFortyFiveSurvivesARestart()
    {
        PanelFixture f;
        f.panel.navigate(PlannerPanel::NavButton::Insert);
        f.get<QCheckBox>("DBCheckBox8")->setChecked(true);
        f.choose("ComboBox4", 0);
        QCOMPARE(f.get<QComboBox>("ComboBox3")->count(), 59);
        f.choose("ComboBox3", 44);
        f.panel.navigate(PlannerPanel::NavButton::Post);
        const int id = f.currentId();

        DataSet again;
        TableSchemas::openAlarm(again, f.dir.appDir());
        PlannerPanel panel(&again, &f.scheduler, f.fakes.services());
        QVERIFY(again.locate(id));
        QCOMPARE(panel.findChild<QComboBox *>("ComboBox4")->currentText(), QStringLiteral("Минут"));
        QCOMPARE(panel.findChild<QComboBox *>("ComboBox3")->currentText(), QStringLiteral("45"));
    }

    void unitChangeRefillsTheNumbers_data()
    {
        QTest::addColumn<int>("unit");
        QTest::addColumn<int>("count");
        QTest::newRow("minutes") << 0 << 59;
        QTest::newRow("hours") << 1 << 23;
        QTest::newRow("days") << 2 << 31;
        QTest::newRow("months") << 3 << 12;
    }
    void unitChangeRefillsTheNumbers()
    {
        QFETCH(int, unit);
        QFETCH(int, count);
        PanelFixture f;
        f.choose("ComboBox4", unit);
        auto *numbers = f.get<QComboBox>("ComboBox3");
        QCOMPARE(numbers->count(), count);
        QCOMPARE(numbers->currentText(), QStringLiteral("1"));
        QCOMPARE(numbers->itemText(count - 1), QString::number(count));
    }

    void kindChangeSetsTheCaption()
    {
        PanelFixture f;
        QSignalSpy captions(&f.panel, &PlannerPanel::label12CaptionChanged);
        f.panel.navigate(PlannerPanel::NavButton::Insert);
        f.choose("ComboBox2", 1);
        QCOMPARE(f.panel.label12Caption(), QStringLiteral("Путь к программе или документу"));
        QVERIFY(f.get<QToolButton>("SpeedButton4")->isEnabled());
        f.choose("ComboBox2", 2);
        QCOMPARE(f.panel.label12Caption(), QStringLiteral("Выключение компьютера"));
        QVERIFY(f.get<QLineEdit>("DBEdit10")->isReadOnly());
        f.choose("ComboBox2", 3);
        QCOMPARE(f.panel.label12Caption(), QStringLiteral("Выключение компьютера"));
        f.choose("ComboBox2", 0);
        QCOMPARE(f.panel.label12Caption(), QStringLiteral("Текст напоминания"));
        QCOMPARE(captions.size(), 3);
    }

    void languageTextsComeFromTheSchedulerUntilSet()
    {
        PanelFixture f;
        const auto english = [](const QString &key) {
            if (key == QLatin1String("sob1"))
                return QStringLiteral("Event planned for");
            if (key == QLatin1String("Combobox4Items0"))
                return QStringLiteral("Minutes");
            return QString();
        };
        f.scheduler.setTexts(PlannerTexts(english));
        f.panel.retranslate();
        QCOMPARE(f.get<QComboBox>("ComboBox4")->itemText(0), QStringLiteral("Minutes"));
        QCOMPARE(f.get<QComboBox>("ComboBox4")->currentIndex(), 2);
        f.panel.navigate(PlannerPanel::NavButton::Insert);
        f.panel.navigate(PlannerPanel::NavButton::Post);
        QCOMPARE(f.current().execute, QStringLiteral("Event planned for 12.09.2012 9:05"));
    }

    void browsePutsThePathIntoTheText()
    {
        PanelFixture f;
        f.panel.setFileChooser([] {
            return QStringLiteral("/home/trader/report.ods");
        });
        f.panel.navigate(PlannerPanel::NavButton::Insert);
        f.choose("ComboBox2", 1);
        f.get<QToolButton>("SpeedButton4")->click();
        f.panel.navigate(PlannerPanel::NavButton::Post);
        QCOMPARE(f.current().execute, QStringLiteral("/home/trader/report.ods"));
    }

    void deleteAsksFirst()
    {
        PanelFixture f;
        f.add(PlannerFixture::event(0, QDateTime(QDate(2012, 9, 13), QTime(8, 0)), "Оставить"));
        f.fakes.prompts.answers = {false, true};
        f.panel.navigate(PlannerPanel::NavButton::Delete);
        QCOMPARE(f.fakes.prompts.shown.last().text, QStringLiteral("Delete record?"));
        QCOMPARE(f.alarm.recordCount(), 1);
        // Ctrl+Delete in the grid asks the same question.
        QTest::keyClick(f.panel.grid(), Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(f.fakes.prompts.shown.size(), 2);
        QCOMPARE(f.alarm.recordCount(), 0);
    }

    void typingStopsAtOneHundredCharacters()
    {
        PanelFixture f;
        f.panel.navigate(PlannerPanel::NavButton::Insert);
        auto *edit = f.get<QLineEdit>("DBEdit10");
        QTest::keyClicks(edit, QString(120, QLatin1Char('a')));
        QCOMPARE(edit->text().size(), 100);
    }

    void newEventWithTextKeepsALongText()
    {
        PanelFixture f;
        int shown = 0;
        f.panel.setShowPanel([&] {
            ++shown;
        });
        const QString text = QStringLiteral("Позвонить: ") + QString(230, QLatin1Char('9'));
        f.panel.newEventWithText(text);
        QCOMPARE(shown, 1);
        QCOMPARE(f.alarm.state(), DataSet::State::Insert);
        QVERIFY(!f.scheduler.isActive());
        f.panel.navigate(PlannerPanel::NavButton::Post);
        QCOMPARE(f.current().execute, text.left(254));
        QVERIFY(f.scheduler.isActive());
    }

    void scanLeavesTheEditorsRecordAlone()
    {
        PanelFixture f(QDateTime(QDate(2012, 9, 12), QTime(12, 0)));
        const int shown = f.add(PlannerFixture::event(0, QDateTime(QDate(2012, 9, 20), QTime(8, 0)), "На экране"));
        const int due = f.add(PlannerFixture::repeating(
            PlannerFixture::event(1, QDateTime(QDate(2012, 9, 12), QTime(11, 0)), "/usr/bin/xclock"), 2, 0));
        QVERIFY(f.alarm.locate(shown));
        f.scheduler.scan();
        QCOMPARE(f.currentId(), shown);
        QCOMPARE(f.get<QLineEdit>("DBEdit10")->text(), QStringLiteral("На экране"));
        const auto moved = f.find(due);
        QCOMPARE(moved->execute, QStringLiteral("/usr/bin/xclock"));
        QCOMPARE(moved->tip, 1);
        QCOMPARE(QDateTime(moved->data, moved->time), QDateTime(QDate(2012, 9, 13), QTime(11, 0)));
    }
};

QTEST_MAIN(TestPlannerPanel)
#include "tst_PlannerPanel.moc"
