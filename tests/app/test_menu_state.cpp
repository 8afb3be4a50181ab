// The view table of the popup menu: which view-specific commands each view offers.
#include "app/MenuState.h"

#include <QtTest>

Q_DECLARE_METATYPE(View)

class TestMenuState : public QObject
{
    Q_OBJECT
private slots:
    void table_data()
    {
        // clang-format off
        QTest::addColumn<View>("view");
        QTest::addColumn<bool>("edit");
        QTest::addColumn<bool>("format");
        QTest::addColumn<bool>("remind");
        QTest::addColumn<bool>("ipPhone");
        QTest::addColumn<bool>("noteCommands");
        QTest::addColumn<bool>("separators");
        //                                   edit   format remind ip     notes  seps
        QTest::newRow("clock") << View::Clock << false << false << false << false << false << false;
        QTest::newRow("calendar") << View::Calendar << false << false << false << false << false << true;
        QTest::newRow("events") << View::Events << true << false << false << false << false << true;
        QTest::newRow("phonebook") << View::PhoneBook << true << false << true << true << false << true;
        QTest::newRow("note1") << View::Note1 << true << true << true << false << true << true;
        QTest::newRow("note2") << View::Note2 << true << true << true << false << true << true;
        QTest::newRow("note3") << View::Note3 << true << true << true << false << true << true;
        QTest::newRow("note4") << View::Note4 << true << true << true << false << true << true;
        // clang-format on
    }
    void table()
    {
        QFETCH(View, view);
        QFETCH(bool, edit);
        QFETCH(bool, format);
        QFETCH(bool, remind);
        QFETCH(bool, ipPhone);
        QFETCH(bool, noteCommands);
        QFETCH(bool, separators);
        const MenuVisibility v = MenuState::forView(view);
        QCOMPARE(v.edit, edit);
        QCOMPARE(v.format, format);
        QCOMPARE(v.remind, remind);
        QCOMPARE(v.ipPhone, ipPhone);
        QCOMPARE(v.noteCommands, noteCommands);
        QCOMPARE(v.separators, separators);
        QCOMPARE(MenuState::isNote(view), noteCommands);
        QCOMPARE(MenuState::name(view), QString::fromLatin1(QTest::currentDataTag()));
    }

    void noteIndexes()
    {
        QCOMPARE(MenuState::noteIndex(View::Note1), 0);
        QCOMPARE(MenuState::noteIndex(View::Note4), 3);
        QCOMPARE(MenuState::noteIndex(View::PhoneBook), -1);
        QCOMPARE(MenuState::noteIndex(View::Clock), -1);
    }
};

QTEST_GUILESS_MAIN(TestMenuState)
#include "test_menu_state.moc"
