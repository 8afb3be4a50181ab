// The toolbar column: button placement and hints, exclusive buttons, and the view switch it drives.
#include "app/ToolbarPanel.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

Q_DECLARE_METATYPE(View)

class TestToolbar : public QObject
{
    Q_OBJECT
private slots:
    void buttons_data()
    {
        // clang-format off
        QTest::addColumn<View>("view");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("y");
        QTest::addColumn<QString>("hint");
        QTest::addColumn<QString>("icon");
        QTest::newRow("clock") << View::Clock << "SpeedButton1" << 1 << "Время работы бирж" << ":/toolbar-clock.svg";
        QTest::newRow("calendar") << View::Calendar << "SpeedButton10" << 36 << "Экономический  календарь" << ":/toolbar-calendar.svg";
        QTest::newRow("events") << View::Events << "SpeedButton3" << 71 << "Планирование событий" << ":/toolbar-planner.svg";
        QTest::newRow("phonebook") << View::PhoneBook << "SpeedButton2" << 106 << "Телефонная книга" << ":/toolbar-phonebook.svg";
        QTest::newRow("note1") << View::Note1 << "SpeedButton5" << 141 << "Быстрые записи" << ":/toolbar-note-black.svg";
        QTest::newRow("note2") << View::Note2 << "SpeedButton6" << 176 << "Быстрые записи" << ":/toolbar-note-yellow.svg";
        QTest::newRow("note3") << View::Note3 << "SpeedButton7" << 211 << "Быстрые записи" << ":/toolbar-note-blue.svg";
        QTest::newRow("note4") << View::Note4 << "SpeedButton8" << 246 << "Быстрые записи" << ":/toolbar-note-red.svg";
        // clang-format on
    }
    void buttons()
    {
        QFETCH(View, view);
        QFETCH(QString, name);
        QFETCH(int, y);
        QFETCH(QString, hint);
        QFETCH(QString, icon);
        ToolbarPanel bar;
        QCOMPARE(bar.objectName(), QStringLiteral("Panel2"));
        QCOMPARE(bar.geometry(), QRect(478, 0, 32, 290));
        QToolButton *b = bar.button(view);
        QVERIFY(b);
        QCOMPARE(b->objectName(), name);
        QCOMPARE(ToolbarPanel::buttonName(view), name);
        QCOMPARE(b->geometry(), QRect(1, y, 30, 35));
        QCOMPARE(b->toolTip(), hint);
        QVERIFY(b->autoRaise());
        QVERIFY(b->isCheckable());
        // Our own drawings, compiled in: each icon shows, at its size rendered while building and at any other,
        // in every mode and state, exactly what Qt's SVG icon engine renders from the drawing.
        QVERIFY(!b->icon().isNull());
        const QIcon fromDrawing(icon);
        for (int side : {24, 48, 16})
            for (QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled, QIcon::Active})
                for (QIcon::State state : {QIcon::Off, QIcon::On}) {
                    const QImage shown = b->icon().pixmap(QSize(side, side), mode, state).toImage();
                    QVERIFY(!shown.isNull());
                    QCOMPARE(shown.size(), QSize(side, side));
                    QCOMPARE(shown.convertToFormat(QImage::Format_ARGB32_Premultiplied),
                             fromDrawing.pixmap(QSize(side, side), mode, state)
                                 .toImage()
                                 .convertToFormat(QImage::Format_ARGB32_Premultiplied));
                }
        QCOMPARE(b->isChecked(), view == View::Clock);
    }

    void exactlyOneButtonDown()
    {
        ToolbarPanel bar;
        bar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bar));
        for (View v : ToolbarPanel::buttonOrder()) {
            QTest::mouseClick(bar.button(v), Qt::LeftButton);
            QCOMPARE(bar.currentView(), v);
            int down = 0;
            for (View other : ToolbarPanel::buttonOrder())
                down += bar.button(other)->isChecked() ? 1 : 0;
            QCOMPARE(down, 1);
            QVERIFY(bar.button(v)->isChecked());
        }
    }

    void switchingShowsOneViewAndFocusesItsControl()
    {
        QWidget window;
        window.resize(510, 290);
        QList<QWidget *> pages;
        QList<QLineEdit *> focus;
        ToolbarPanel bar(&window);
        const QList<View> views
            = {View::Calendar, View::Events, View::PhoneBook, View::Note1, View::Note2, View::Note3, View::Note4};
        for (View v : views) {
            auto *page = new QWidget(&window);
            page->setObjectName(MenuState::name(v));
            auto *edit = new QLineEdit(page);
            page->hide();
            bar.setViewTarget(v, page, edit);
            pages << page;
            focus << edit;
        }
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QSignalSpy changed(&bar, &ToolbarPanel::viewChanged);

        for (int i = 0; i < views.size(); ++i) {
            QTest::mouseClick(bar.button(views[i]), Qt::LeftButton);
            for (int j = 0; j < pages.size(); ++j)
                QCOMPARE(pages[j]->isVisible(), i == j);
            QTRY_COMPARE(QApplication::focusWidget(), focus[i]);
            QCOMPARE(changed.last()[0].value<View>(), views[i]);
        }

        // The clock view is what remains when everything is hidden.
        QTest::mouseClick(bar.button(View::Clock), Qt::LeftButton);
        for (QWidget *p : pages)
            QVERIFY(!p->isVisible());
        QCOMPARE(bar.currentView(), View::Clock);

        // Pressing the button that is already down shows its view again.
        QTest::mouseClick(bar.button(View::Events), Qt::LeftButton);
        pages[1]->hide();
        const int before = changed.size();
        QTest::mouseClick(bar.button(View::Events), Qt::LeftButton);
        QCOMPARE(changed.size(), before + 1);
        QVERIFY(pages[1]->isVisible());
        QVERIFY(bar.button(View::Events)->isChecked());
    }

    void hideAllPanelsInItsOrder()
    {
        // Records the order in which the views are hidden: Panel3, Panel4, Panel5, RichEdit1..4.
        struct Recorder : QObject
        {
            QStringList hidden;
            bool eventFilter(QObject *o, QEvent *e) override
            {
                if (e->type() == QEvent::Hide)
                    hidden << o->objectName();
                return false;
            }
        } recorder;
        QWidget window;
        ToolbarPanel bar(&window);
        const QList<QPair<View, const char *>> pages
            = {{View::Note4, "RichEdit4"},  {View::Calendar, "Panel5"}, {View::Note1, "RichEdit1"},
               {View::PhoneBook, "Panel3"}, {View::Note3, "RichEdit3"}, {View::Events, "Panel4"},
               {View::Note2, "RichEdit2"}};
        for (const auto &[view, name] : pages) {
            auto *p = new QWidget(&window);
            p->setObjectName(QString::fromLatin1(name));
            p->installEventFilter(&recorder);
            bar.setViewTarget(view, p, nullptr);
        }
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        bar.hideAllPanels();
        QCOMPARE(recorder.hidden,
                 QStringList({"Panel3", "Panel4", "Panel5", "RichEdit1", "RichEdit2", "RichEdit3", "RichEdit4"}));
    }

    void showViewFromCode()
    {
        // Other rooms open a view themselves (a reminder from a note opens the planner): the button follows.
        QWidget window;
        ToolbarPanel bar(&window);
        auto *planner = new QWidget(&window);
        planner->hide();
        bar.setViewTarget(View::Events, planner, nullptr);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        bar.showView(View::Events);
        QVERIFY(bar.button(View::Events)->isChecked());
        QVERIFY(!bar.button(View::Clock)->isChecked());
        QVERIFY(planner->isVisible());
    }
};

QTEST_MAIN(TestToolbar)
#include "test_toolbar.moc"
