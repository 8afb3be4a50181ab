// The main window's behaviour: translucency while the pointer is away, dragging by the listed surfaces
// unless the position is fixed, hiding by double click, menu or minimizing, and showing again.
#include "app/PopupMenuWidget.h"
#include "app/WindowBehaviourWidget.h"

#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTableWidget>
#include <QtTest>

namespace {

/// A surface that counts the presses it really receives.
class Surface : public QWidget
{
public:
    using QWidget::QWidget;
    int presses = 0;

protected:
    void mousePressEvent(QMouseEvent *e) override
    {
        ++presses;
        e->ignore();
    }
};

/// The main window with the surfaces that matter here: its own surface, a phone-book-like panel with a label
/// and an edit on it, and a calendar-like panel with a grid.
struct Fixture
{
    Surface window;
    QWidget *panel3 = nullptr;
    QLabel *label = nullptr;
    QLineEdit *edit = nullptr;
    QWidget *panel5 = nullptr;
    QTableWidget *grid = nullptr;
    PopupMenuWidget menu;
    WindowBehaviourWidget *behaviour = nullptr;

    Fixture()
    {
        window.setGeometry(100, 100, 510, 290);
        panel3 = new QWidget(&window);
        panel3->setGeometry(0, 0, 240, 290);
        label = new QLabel(QStringLiteral("Наименование"), panel3);
        label->setGeometry(10, 10, 100, 20);
        edit = new QLineEdit(panel3);
        edit->setGeometry(10, 40, 100, 20);
        panel5 = new QWidget(&window);
        panel5->setGeometry(240, 0, 238, 150);
        grid = new QTableWidget(3, 2, panel5);
        grid->setGeometry(6, 67, 200, 70);
        behaviour = new WindowBehaviourWidget(&window, &menu, &window);
        for (QWidget *w : {static_cast<QWidget *>(&window), panel3, panel5, static_cast<QWidget *>(grid)})
            behaviour->addDragSurface(w);
        behaviour->addHideSurface(&window);
        behaviour->addHideSurface(panel3);
        window.show();
    }

    QWidget *target(const QString &name)
    {
        if (name == QLatin1String("window"))
            return &window;
        if (name == QLatin1String("panel3"))
            return panel3;
        if (name == QLatin1String("label"))
            return label;
        if (name == QLatin1String("edit"))
            return edit;
        if (name == QLatin1String("panel5"))
            return panel5;
        if (name == QLatin1String("grid"))
            return grid->viewport();
        return nullptr;
    }

    void option(const char *name, bool on) { menu.item(QString::fromLatin1(name))->setChecked(on); }

    /// A press at `local` on `w`, a move of `delta` with the button held, and the release, as the pointer does.
    void drag(QWidget *w, QPoint local, QPoint delta, Qt::MouseButton button = Qt::LeftButton)
    {
        const QPoint global = w->mapToGlobal(local);
        QMouseEvent press(QEvent::MouseButtonPress, local, global, button, button, Qt::NoModifier);
        QApplication::sendEvent(w, &press);
        // In two steps, the way a pointer moves: the first one passes the drag distance.
        for (const QPoint step : {delta / 2, delta}) {
            QMouseEvent move(QEvent::MouseMove, local + step, global + step, Qt::NoButton, button, Qt::NoModifier);
            QApplication::sendEvent(w, &move);
        }
        QMouseEvent release(QEvent::MouseButtonRelease, local + delta, global + delta, button, Qt::NoButton,
                            Qt::NoModifier);
        QApplication::sendEvent(w, &release);
    }

    void doubleClick(QWidget *w, QPoint local)
    {
        QMouseEvent dbl(QEvent::MouseButtonDblClick, local, w->mapToGlobal(local), Qt::LeftButton, Qt::LeftButton,
                        Qt::NoModifier);
        QApplication::sendEvent(w, &dbl);
        QCoreApplication::processEvents();
    }
};

bool translucent(const QWidget &w)
{
    return qFuzzyCompare(w.windowOpacity(), WindowBehaviourWidget::kTranslucentOpacity);
}

bool opaque(const QWidget &w)
{
    return qFuzzyCompare(w.windowOpacity(), 1.0);
}

} // namespace

class TestBehaviour : public QObject
{
    Q_OBJECT
private slots:
    void translucency_data()
    {
        // clang-format off
        QTest::addColumn<bool>("n5");
        QTest::addColumn<QString>("script");
        // Steps: S start-up, L pointer leaves the window, E pointer enters it, T toggle N5, C the pointer moves
        // between controls inside the window. After each step, t = translucent, o = opaque.
        QTest::newRow("away and back") << true << "L:t E:o L:t E:o";
        QTest::newRow("option off") << false << "L:o E:o L:o";
        QTest::newRow("start translucent") << true << "S:t E:o";
        QTest::newRow("start opaque when off") << false << "S:o L:o";
        QTest::newRow("between controls stays opaque") << true << "E:o C:o C:o L:t";
        QTest::newRow("unchecking keeps it translucent until entered") << true << "L:t T:t L:t E:o L:o";
        QTest::newRow("checking changes nothing until the next leave") << false << "L:o T:o E:o L:t";
        // clang-format on
    }
    void translucency()
    {
        QFETCH(bool, n5);
        QFETCH(QString, script);
        Fixture f;
        f.option("N5", n5);
        QVERIFY(opaque(f.window));
        for (const QString &step : script.split(QLatin1Char(' '))) {
            switch (step[0].toLatin1()) {
            case 'S': f.behaviour->applyStartTranslucency(); break;
            case 'L': {
                QEvent leave(QEvent::Leave);
                QApplication::sendEvent(&f.window, &leave);
                break;
            }
            case 'E': {
                QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(105, 105));
                QApplication::sendEvent(&f.window, &enter);
                break;
            }
            case 'T': f.menu.item(QStringLiteral("N5"))->trigger(); break;
            case 'C': {
                QEvent leave(QEvent::Leave);
                QApplication::sendEvent(f.panel3, &leave);
                QEnterEvent enter(QPointF(5, 5), QPointF(245, 5), QPointF(345, 105));
                QApplication::sendEvent(f.panel5, &enter);
                break;
            }
            }
            const bool wantTranslucent = step.endsWith(QLatin1Char('t'));
            QVERIFY2(wantTranslucent ? translucent(f.window) : opaque(f.window), qPrintable(step));
            QCOMPARE(f.behaviour->isTranslucent(), wantTranslucent);
        }
    }

    void drag_data()
    {
        // clang-format off
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("fixed");
        QTest::addColumn<bool>("moves");
        QTest::newRow("window surface") << "window" << int(Qt::LeftButton) << false << true;
        QTest::newRow("window surface, position fixed") << "window" << int(Qt::LeftButton) << true << false;
        QTest::newRow("phone-book panel") << "panel3" << int(Qt::LeftButton) << false << true;
        QTest::newRow("calendar panel") << "panel5" << int(Qt::LeftButton) << false << true;
        QTest::newRow("calendar grid") << "grid" << int(Qt::LeftButton) << false << true;
        QTest::newRow("calendar grid, position fixed") << "grid" << int(Qt::LeftButton) << true << false;
        QTest::newRow("right button opens the menu instead") << "window" << int(Qt::RightButton) << false << false;
        QTest::newRow("an edit keeps its own presses") << "edit" << int(Qt::LeftButton) << false << false;
        QTest::newRow("a label is not a surface") << "label" << int(Qt::LeftButton) << false << false;
        // clang-format on
    }
    void drag()
    {
        QFETCH(QString, target);
        QFETCH(int, button);
        QFETCH(bool, fixed);
        QFETCH(bool, moves);
        Fixture f;
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        f.option("N7", fixed);
        const QPoint start = f.window.pos();
        QWidget *w = f.target(target);
        // A point on the surface itself, clear of the label and the edit.
        const QPoint at = (w == f.panel3) ? QPoint(200, 200) : (w == &f.window ? QPoint(490, 200) : QPoint(5, 5));
        f.drag(w, at, QPoint(40, 30), Qt::MouseButton(button));
        // Offscreen has no window manager to move the window, so the manual move is what shows here.
        QCOMPARE(f.window.pos(), moves ? start + QPoint(40, 30) : start);
    }

    void aPressStillReachesTheSurface()
    {
        // A fixed window neither moves nor swallows the press: the context menu still comes.
        for (bool fixed : {false, true}) {
            Fixture f;
            f.option("N7", fixed);
            for (Qt::MouseButton b : {Qt::LeftButton, Qt::RightButton}) {
                QMouseEvent press(QEvent::MouseButtonPress, QPoint(490, 200), f.window.mapToGlobal(QPoint(490, 200)), b,
                                  b, Qt::NoModifier);
                QApplication::sendEvent(&f.window, &press);
            }
            QCOMPARE(f.window.presses, 2);
        }
    }

    void aLostReleaseEndsWithTheNextPress()
    {
        // A press on the surface whose release never came (the window was hidden meanwhile) must not turn
        // a later press and drag on a control into a window move.
        Fixture f;
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        const QPoint start = f.window.pos();
        QMouseEvent press(QEvent::MouseButtonPress, QPoint(490, 200), f.window.mapToGlobal(QPoint(490, 200)),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        press.setTimestamp(1000);
        QApplication::sendEvent(&f.window, &press);

        const QPoint onLabel(5, 5);
        const QPoint global = f.label->mapToGlobal(onLabel);
        QMouseEvent second(QEvent::MouseButtonPress, onLabel, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        second.setTimestamp(2000);
        QApplication::sendEvent(f.label, &second);
        QMouseEvent move(QEvent::MouseMove, onLabel + QPoint(40, 30), global + QPoint(40, 30), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        move.setTimestamp(2100);
        QApplication::sendEvent(f.label, &move);
        QCOMPARE(f.window.pos(), start);
    }

    void doubleClickHides_data()
    {
        // clang-format off
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("hides");
        QTest::newRow("window surface") << "window" << true;
        QTest::newRow("phone-book panel") << "panel3" << true;
        QTest::newRow("calendar panel") << "panel5" << false;
        QTest::newRow("calendar grid") << "grid" << false;
        QTest::newRow("label on the phone-book panel") << "label" << false;
        QTest::newRow("edit on the phone-book panel") << "edit" << false;
        // clang-format on
    }
    void doubleClickHides()
    {
        QFETCH(QString, target);
        QFETCH(bool, hides);
        Fixture f;
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        QWidget *w = f.target(target);
        const QPoint at = (w == f.panel3) ? QPoint(200, 200) : (w == &f.window ? QPoint(490, 200) : QPoint(5, 5));
        f.doubleClick(w, at);
        QCOMPARE(f.window.isVisible(), !hides);
        QCOMPARE(f.menu.item(QStringLiteral("N3"))->isEnabled(), hides);
        QCOMPARE(f.menu.item(QStringLiteral("N2"))->isEnabled(), !hides);
    }

    void hideAndShowByTheMenu()
    {
        Fixture f;
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        QSignalSpy hidden(f.behaviour, &WindowBehaviourWidget::hiddenToTray);
        QSignalSpy shown(f.behaviour, &WindowBehaviourWidget::shownFromTray);
        QAction *n2 = f.menu.item(QStringLiteral("N2"));
        QAction *n3 = f.menu.item(QStringLiteral("N3"));
        QVERIFY(n2->isEnabled() && !n3->isEnabled());

        n2->trigger();
        QVERIFY(!f.window.isVisible());
        QVERIFY(!n2->isEnabled() && n3->isEnabled());
        // A disabled item cannot be chosen: "Свернуть" twice is not possible.
        n2->trigger();
        QCOMPARE(hidden.size(), 1);

        n3->trigger();
        QVERIFY(f.window.isVisible());
        QVERIFY(n2->isEnabled() && !n3->isEnabled());
        QCOMPARE(shown.size(), 1);
    }

    void minimizingHidesToTheTray()
    {
        Fixture f;
        QVERIFY(QTest::qWaitForWindowExposed(&f.window));
        f.window.showMinimized();
        QTRY_VERIFY(!f.window.isVisible());
        QVERIFY(f.menu.item(QStringLiteral("N3"))->isEnabled());
        QVERIFY(!f.menu.item(QStringLiteral("N2"))->isEnabled());

        f.behaviour->showFromTray();
        QVERIFY(f.window.isVisible());
        QVERIFY(!f.window.isMinimized());
        QVERIFY(f.menu.item(QStringLiteral("N2"))->isEnabled());
    }
};

QTEST_MAIN(TestBehaviour)
#include "test_behaviour.moc"
