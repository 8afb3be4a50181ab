// The popup menu's note commands: they act on the shown note only, carry the check marks of its selection,
// and "Напомнить" makes a call reminder while the phone book is shown.
#include "FakeServices.h"
#include "TempAppDir.h"
#include "app/NoteMenu.h"
#include "app/PopupMenuWidget.h"
#include "notes/QuickNotes.h"

#include <QAction>
#include <QTest>
#include <QTextCursor>
#include <QTextEdit>
#include <QWidget>

namespace {

struct MenuFixture
{
    TempAppDir dir;
    FakeServices fakes;
    QWidget window;
    PopupMenuWidget *menu = new PopupMenuWidget(&window);
    QuickNotes notes{fakes.services(), &window};
    int callReminders = 0;
    QStringList events;

    MenuFixture()
    {
        notes.load(dir.appDir());
        notes.setNewEventWithText([this](const QString &text) {
            events << text;
        });
        NoteMenu::wire(
            menu, &notes,
            [this] {
                ++callReminders;
            },
            [](const QString &) {});
        for (int i = 0; i < QuickNotes::count; ++i)
            notes.editor(i)->setPlainText(QStringLiteral("word %1").arg(i));
    }

    void selectFirstWord(int i) const
    {
        QTextCursor c(notes.editor(i)->document());
        c.setPosition(4, QTextCursor::KeepAnchor);
        notes.editor(i)->setTextCursor(c);
    }

    bool bold(int i) const { return notes.formatState(i).bold; }
    QAction *item(const char *name) const { return menu->item(QLatin1String(name)); }
    void opening() const { emit menu->aboutToShow(); }
};

} // namespace

class TestNoteMenu : public QObject
{
    Q_OBJECT
private slots:
    void commandsActOnTheShownNoteOnly()
    {
        MenuFixture f;
        f.selectFirstWord(1);
        f.selectFirstWord(2);
        f.menu->setCurrentView(View::Note3);
        f.item("Bold1")->trigger();
        QVERIFY(f.bold(2));
        QVERIFY(!f.bold(1));

        // In a view that is not a note, nothing happens.
        f.menu->setCurrentView(View::Calendar);
        f.item("Bold1")->trigger();
        f.item("N38")->trigger();
        QVERIFY(!f.bold(1));
        QVERIFY(f.fakes.prompts.shown.isEmpty());
        QCOMPARE(f.callReminders, 0);
    }

    void checkMarksFollowTheShownNotesSelection()
    {
        MenuFixture f;
        f.selectFirstWord(0);
        f.selectFirstWord(3);
        f.notes.toggleBold(0);
        f.notes.toggleBullets(3);

        f.menu->setCurrentView(View::Note1);
        f.opening();
        QVERIFY(f.item("Bold1")->isChecked());
        QVERIFY(!f.item("Bullets1")->isChecked());
        f.menu->setCurrentView(View::Note4);
        f.opening();
        QVERIFY(!f.item("Bold1")->isChecked());
        QVERIFY(f.item("Bullets1")->isChecked());
    }

    void remindMakesANoteReminderOrACallReminder()
    {
        MenuFixture f;
        f.menu->setCurrentView(View::Note2);
        f.item("N38")->trigger();
        QCOMPARE(f.events, QStringList{QStringLiteral("Напоминание word 1")});
        QCOMPARE(f.callReminders, 0);

        f.menu->setCurrentView(View::PhoneBook);
        f.item("N38")->trigger();
        QCOMPARE(f.callReminders, 1);
        QCOMPARE(f.events.size(), 1);
    }
};

QTEST_MAIN(TestNoteMenu)
#include "test_note_menu.moc"
