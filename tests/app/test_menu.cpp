// The popup menu: its items in order, the view-dependent commands, the separator rule, the radio groups,
// the N2/N3 pair, the edit commands and how the window and its controls open it.
#include "app/PopupMenuWidget.h"

#include <QActionGroup>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTextEdit>
#include <QVBoxLayout>
#include <QtTest>

Q_DECLARE_METATYPE(View)

namespace {

/// The menu as the user sees it: visible top-level items by name, "|" for each separator line drawn.
QString layoutOf(PopupMenuWidget &menu)
{
    QStringList seen;
    for (QAction *a : menu.actions()) {
        if (!a->isVisible() || menu.actionGeometry(a).isEmpty())
            continue;
        seen << (a->isSeparator() ? QStringLiteral("|") : a->objectName());
    }
    return seen.join(QLatin1Char(' '));
}

} // namespace

class TestMenu : public QObject
{
    Q_OBJECT
private slots:
    void everyItemInOrder()
    {
        PopupMenuWidget menu;
        const QStringList expected
            = QStringLiteral(
                  "N1 N19 N17 AdmiralMarkets2 Alpari2 InstaForex3 ForexCent2 MaxiForex2 RoboForex2 ZuluTrade2 "
                  "Forexmmcis1 N18 InstaForex4 MaxiForex1 eleTRADETV2 N11 N20 Veltraneru1 Veltranenet1 veltraneru2 "
                  "N16 AdmiralMarkets1 Alpari1 FBS1 ForexCent1 InstaForex2 MexiForex1 RoboForex1 ZuluTrade1 "
                  "FOREXMMCISgroup1 N35 N15 N30 N31 N32 N21 RUS ENG FRE DEU UKR BUL ITA N40 N43 N45 N41 N301 N151 N51 "
                  "N310 N42 N7 N8 N5 N9 N36 N23 N25 N26 N28 N27 Cut1 Copy1 Paste1 Bold1 Italic1 Underline1 Strikeout1 "
                  "Bullets1 N44 N38 IP1 N34 N29 N6 Forex1 InstaForex1 N14 N10 N13 N2 N3 N37")
                  .split(QLatin1Char(' '));
        QCOMPARE(menu.itemNames(), expected);
        // Every name reaches its item; a submenu is reached through its menuAction().
        for (const QString &name : expected)
            QVERIFY2(menu.item(name), qPrintable(name));
        QCOMPARE(menu.item(QStringLiteral("N35")), menu.submenu(QStringLiteral("N35"))->menuAction());
        QVERIFY(menu.item(QStringLiteral("N44"))->isSeparator());
        QVERIFY(menu.item(QStringLiteral("N6"))->isSeparator());
        QVERIFY(menu.item(QStringLiteral("N45"))->isSeparator());
        QVERIFY(!menu.item(QStringLiteral("nothing")));
        QVERIFY(!menu.item(QString()));
        QVERIFY(menu.separatorsCollapsible());
    }

    void captionsAndShortcuts_data()
    {
        // clang-format off
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("keys");
        QTest::newRow("N1") << "N1" << "Выход" << "F10";
        QTest::newRow("N19") << "N19" << "Онлайн - помощь" << "";
        QTest::newRow("N17") << "N17" << "Онлайн - консультант" << "";
        QTest::newRow("N18") << "N18" << "Обучающее видео" << "";
        QTest::newRow("N11") << "N11" << "Экономический календарь" << "";
        QTest::newRow("N20") << "N20" << "Сайт программы" << "";
        QTest::newRow("N16") << "N16" << "Открыть новый счет" << "";
        QTest::newRow("N35") << "N35" << "Настройка программы" << "";
        QTest::newRow("N15") << "N15" << "О программе..." << "";
        QTest::newRow("N30") << "N30" << "Резервная копия данных" << "";
        QTest::newRow("N21") << "N21" << "Выбрать язык программы" << "";
        QTest::newRow("RUS") << "RUS" << "Russian" << "";
        QTest::newRow("BUL") << "BUL" << "Bulgarian" << "";
        QTest::newRow("N40") << "N40" << "Экономический календарь" << "";
        QTest::newRow("N43") << "N43" << "Не предупреждать о событии" << "";
        QTest::newRow("N310") << "N310" << "Предупреждать за 3 минуты" << "";
        QTest::newRow("N42") << "N42" << "Сообщать о выходе новости" << "";
        QTest::newRow("N7") << "N7" << "Фиксировать положение" << "";
        QTest::newRow("N8") << "N8" << "Запускать при старте" << "";
        QTest::newRow("N5") << "N5" << "Делать прозрачным" << "";
        QTest::newRow("N9") << "N9" << "Только активные рынки" << "";
        QTest::newRow("N36") << "N36" << "Голосовое оповещение" << "";
        QTest::newRow("N23") << "N23" << "Системные утилиты" << "";
        QTest::newRow("N25") << "N25" << "Калькулятор" << "Ctrl+Alt+C";
        QTest::newRow("N26") << "N26" << "Блокнот" << "Ctrl+Alt+N";
        QTest::newRow("N28") << "N28" << "Ножницы" << "Ctrl+Alt+S";
        QTest::newRow("N27") << "N27" << "Экранная лупа" << "Ctrl+Alt+M";
        QTest::newRow("Cut1") << "Cut1" << "Вырезать" << "Ctrl+X";
        QTest::newRow("Paste1") << "Paste1" << "Вставить" << "Ctrl+V";
        QTest::newRow("Bold1") << "Bold1" << "&Bold" << "Ctrl+B";
        QTest::newRow("Strikeout1") << "Strikeout1" << "&Strikeout" << "";
        QTest::newRow("N38") << "N38" << "Напомнить" << "";
        QTest::newRow("IP1") << "IP1" << "Позвонить по IP телефону" << "";
        QTest::newRow("N34") << "N34" << "Открыть в редакторе" << "";
        QTest::newRow("N29") << "N29" << "Вставить дату, время" << "";
        QTest::newRow("Forex1") << "Forex1" << "Прогноз и аналитика" << "";
        QTest::newRow("N13") << "N13" << "Форекс прогноз на сегодня" << "";
        QTest::newRow("N2") << "N2" << "Свернуть" << "";
        QTest::newRow("N3") << "N3" << "Развернуть" << "";
        // clang-format on
    }
    void captionsAndShortcuts()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QString, keys);
        PopupMenuWidget menu;
        QCOMPARE(menu.item(name)->text(), caption);
        QCOMPARE(menu.item(name)->shortcut().toString(QKeySequence::PortableText), keys);
    }

    void checkableItems()
    {
        PopupMenuWidget menu;
        for (const char *n : {"N7", "N8", "N5", "N9", "N36", "Bold1", "Italic1", "Underline1", "Strikeout1", "Bullets1",
                              "RUS", "ITA", "N43", "N42"})
            QVERIFY2(menu.item(QString::fromLatin1(n))->isCheckable(), n);
        for (const char *n : {"N1", "N2", "N3", "N38", "N13", "Cut1"})
            QVERIFY2(!menu.item(QString::fromLatin1(n))->isCheckable(), n);
        // An option is auto-checking: a click toggles its mark and nothing else.
        QAction *n7 = menu.item(QStringLiteral("N7"));
        QVERIFY(!n7->isChecked());
        n7->trigger();
        QVERIFY(n7->isChecked());
        n7->trigger();
        QVERIFY(!n7->isChecked());
    }

    void viewLayout_data()
    {
        // clang-format off
        QTest::addColumn<View>("view");
        QTest::addColumn<QString>("layout");
        const QString head = QStringLiteral("N1 N19 N16 | N35 N23 | ");
        const QString tail = QStringLiteral("Forex1 N13 | N2 N3 N37");
        QTest::newRow("clock") << View::Clock << head + tail;
        QTest::newRow("calendar") << View::Calendar << head + tail;
        QTest::newRow("events") << View::Events << head + "Cut1 Copy1 Paste1 | " + tail;
        QTest::newRow("phonebook") << View::PhoneBook << head + "Cut1 Copy1 Paste1 | N38 IP1 | " + tail;
        const QString note =
            head + "Cut1 Copy1 Paste1 | Bold1 Italic1 Underline1 Strikeout1 Bullets1 | N38 N34 N29 | " + tail;
        QTest::newRow("note1") << View::Note1 << note;
        QTest::newRow("note4") << View::Note4 << note;
        // clang-format on
    }
    void viewLayout()
    {
        // The layout string shows no separator doubled, first or last: collapsing really happens.
        QFETCH(View, view);
        QFETCH(QString, layout);
        PopupMenuWidget menu;
        // Start from a different view so that every row really changes something.
        menu.applyView(MenuState::isNote(view) ? View::Clock : View::Note2);
        menu.applyView(view);
        QCOMPARE(layoutOf(menu), layout);
        const bool separators = view != View::Clock;
        QCOMPARE(menu.item(QStringLiteral("N44"))->isVisible(), separators);
        QCOMPARE(menu.item(QStringLiteral("N6"))->isVisible(), separators);
    }

    void separatorsCollapseAroundHiddenUtilitiesAndVoice()
    {
        // Items hidden for other reasons keep their state when the view is applied.
        PopupMenuWidget menu;
        menu.item(QStringLiteral("N36"))->setVisible(false);
        menu.item(QStringLiteral("N28"))->setVisible(false);
        menu.applyView(View::Note1);
        menu.applyView(View::Clock);
        QVERIFY(!menu.item(QStringLiteral("N36"))->isVisible());
        QVERIFY(!menu.item(QStringLiteral("N28"))->isVisible());
        QVERIFY(menu.item(QStringLiteral("N25"))->isVisible());
    }

    void opensWithTheCurrentView()
    {
        PopupMenuWidget menu;
        menu.setCurrentView(View::Note3);
        QCOMPARE(menu.currentView(), View::Note3);
        QVERIFY(!menu.item(QStringLiteral("Bold1"))->isVisible());
        menu.popup(QPoint(10, 10));
        QVERIFY(menu.item(QStringLiteral("Bold1"))->isVisible());
        QVERIFY(!menu.item(QStringLiteral("IP1"))->isVisible());
        menu.hide();
        // The tray opens the same menu with the view that was showing when the window was hidden.
        menu.setCurrentView(View::PhoneBook);
        menu.popup(QPoint(10, 10));
        QVERIFY(!menu.item(QStringLiteral("Bold1"))->isVisible());
        QVERIFY(menu.item(QStringLiteral("IP1"))->isVisible());
        menu.hide();
    }

    void hideAndRestoreAlternate()
    {
        PopupMenuWidget menu;
        QAction *n2 = menu.item(QStringLiteral("N2"));
        QAction *n3 = menu.item(QStringLiteral("N3"));
        QCOMPARE(menu.defaultAction(), n3);
        QVERIFY(n2->isEnabled());
        QVERIFY(!n3->isEnabled());
        menu.setWindowShown(false);
        QVERIFY(!n2->isEnabled());
        QVERIFY(n3->isEnabled());
        QVERIFY(!menu.windowShown());
        menu.setWindowShown(true);
        QVERIFY(n2->isEnabled());
        QVERIFY(!n3->isEnabled());
    }

    void languageItems_data()
    {
        // clang-format off
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("checked");
        QTest::addColumn<QString>("voice");
        QTest::newRow("RUS") << "RUS" << "RUS" << "ru";
        QTest::newRow("ENG") << "ENG" << "ENG" << "en";
        QTest::newRow("FRE") << "FRE" << "FRE" << "fr";
        QTest::newRow("DEU") << "DEU" << "DEU" << "de";
        QTest::newRow("UKR") << "UKR" << "UKR" << "uk";
        QTest::newRow("BUL") << "BUL" << "BUL" << "bg";
        QTest::newRow("ITA") << "ITA" << "ITA" << "it";
        QTest::newRow("system code ENU") << "ENU" << "" << "";
        QTest::newRow("lower case is another code") << "rus" << "" << "";
        // clang-format on
    }
    void languageItems()
    {
        QFETCH(QString, code);
        QFETCH(QString, checked);
        QFETCH(QString, voice);
        PopupMenuWidget menu;
        menu.setLanguageCode(QStringLiteral("ITA")); // something checked before, to see it go
        menu.setLanguageCode(code);
        QStringList marked;
        for (const char *n : {"RUS", "ENG", "FRE", "DEU", "UKR", "BUL", "ITA"})
            if (menu.item(QString::fromLatin1(n))->isChecked())
                marked << QString::fromLatin1(n);
        QCOMPARE(marked.join(QLatin1Char(',')), checked);
        QCOMPARE(PopupMenuWidget::voiceLangOf(code), voice);
    }

    void choosingALanguage()
    {
        PopupMenuWidget menu;
        menu.setLanguageCode(QStringLiteral("RUS"));
        QSignalSpy spy(&menu, &PopupMenuWidget::languageChosen);
        menu.item(QStringLiteral("DEU"))->trigger();
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy[0][0].toString(), QStringLiteral("DEU"));
        // Choosing the language already in use still asks for the switch.
        menu.item(QStringLiteral("DEU"))->trigger();
        QCOMPARE(spy.size(), 2);
        QVERIFY(menu.item(QStringLiteral("DEU"))->isChecked());
    }

    void newsLeadItems_data()
    {
        // clang-format off
        QTest::addColumn<int>("minutes");
        QTest::addColumn<QString>("checked");
        QTest::newRow("-1") << -1 << "N43";
        QTest::newRow("60") << 60 << "N41";
        QTest::newRow("30") << 30 << "N301";
        QTest::newRow("15") << 15 << "N151";
        QTest::newRow("5") << 5 << "N51";
        QTest::newRow("3") << 3 << "N310";
        QTest::newRow("0") << 0 << "N42";
        QTest::newRow("10 from an edited file") << 10 << "";
        // clang-format on
    }
    void newsLeadItems()
    {
        QFETCH(int, minutes);
        QFETCH(QString, checked);
        PopupMenuWidget menu;
        menu.setNewsLeadMinutes(60);
        menu.setNewsLeadMinutes(minutes);
        QStringList marked;
        for (const char *n : {"N43", "N41", "N301", "N151", "N51", "N310", "N42"}) {
            const QString name = QString::fromLatin1(n);
            if (menu.item(name)->isChecked())
                marked << name;
        }
        QCOMPARE(marked.join(QLatin1Char(',')), checked);
        if (!checked.isEmpty()) {
            bool ok = false;
            QCOMPARE(PopupMenuWidget::newsLeadOf(checked, &ok), minutes);
            QVERIFY(ok);
        }
    }

    void choosingANewsLead()
    {
        PopupMenuWidget menu;
        menu.setNewsLeadMinutes(15);
        QSignalSpy spy(&menu, &PopupMenuWidget::newsLeadChosen);
        menu.item(QStringLiteral("N301"))->trigger();
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy[0][0].toInt(), 30);
        QVERIFY(menu.item(QStringLiteral("N301"))->isChecked());
        QVERIFY(!menu.item(QStringLiteral("N151"))->isChecked());
        menu.item(QStringLiteral("N43"))->trigger();
        QCOMPARE(spy.last()[0].toInt(), -1);
        bool ok = true;
        PopupMenuWidget::newsLeadOf(QStringLiteral("N45"), &ok);
        QVERIFY(!ok);
    }

    void editCommandsActOnTheControlFocusedWhenTheMenuOpened()
    {
        QWidget window;
        auto *layout = new QVBoxLayout(&window);
        auto *other = new QLineEdit(QStringLiteral("other"), &window);
        auto *edit = new QLineEdit(QStringLiteral("hello world"), &window);
        layout->addWidget(other);
        layout->addWidget(edit);
        PopupMenuWidget menu;
        menu.attachTo(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.activateWindow();
        edit->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), edit);
        edit->setSelection(0, 5);
        menu.setCurrentView(View::PhoneBook);

        menu.popup(QPoint(5, 5));
        QCOMPARE(menu.editTarget(), edit);
        menu.hide();
        menu.item(QStringLiteral("Copy1"))->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("hello"));
        menu.item(QStringLiteral("Cut1"))->trigger();
        QCOMPARE(edit->text(), QStringLiteral(" world"));
        edit->setCursorPosition(edit->text().size());
        menu.item(QStringLiteral("Paste1"))->trigger();
        QCOMPARE(edit->text(), QStringLiteral(" worldhello"));
        QCOMPARE(other->text(), QStringLiteral("other"));
    }

    void windowAndSharedControlsOpenTheMenu()
    {
        QWidget window;
        auto *layout = new QVBoxLayout(&window);
        auto *note = new QTextEdit(&window);
        auto *edit = new QLineEdit(&window);
        layout->addWidget(note);
        layout->addWidget(edit);
        PopupMenuWidget menu;
        menu.attachTo(&window);
        PopupMenuWidget::shareWith(note);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy opened(&menu, &QMenu::aboutToShow);

        // A right click on the note brings up the shared menu instead of the editor's own.
        QContextMenuEvent onNote(QContextMenuEvent::Mouse, QPoint(5, 5), note->viewport()->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(note->viewport(), &onNote);
        QCOMPARE(opened.size(), 1);
        QVERIFY(menu.isVisible());
        menu.hide();

        QContextMenuEvent onWindow(QContextMenuEvent::Mouse, QPoint(1, 1), window.mapToGlobal(QPoint(1, 1)));
        QApplication::sendEvent(&window, &onWindow);
        QCOMPARE(opened.size(), 2);
        menu.hide();
    }

    void f10Exits()
    {
        QWidget window;
        PopupMenuWidget menu;
        menu.attachTo(&window);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QSignalSpy exit(menu.item(QStringLiteral("N1")), &QAction::triggered);
        QTest::keyClick(&window, Qt::Key_F10);
        QCOMPARE(exit.size(), 1);
        // The utility combinations are global hot keys handled elsewhere: the window does not answer them.
        QSignalSpy calc(menu.item(QStringLiteral("N25")), &QAction::triggered);
        QTest::keyClick(&window, Qt::Key_C, Qt::ControlModifier | Qt::AltModifier);
        QCOMPARE(calc.size(), 0);
    }
};

QTEST_MAIN(TestMenu)
#include "test_menu.moc"
