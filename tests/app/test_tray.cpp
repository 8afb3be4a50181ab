// The tray icon: single click told from double click, the menu on a left press, balloons cut to the
// tray's limits, and the next-news answer to a click.
#include "app/NextNews.h"
#include "app/PopupMenuWidget.h"
#include "app/TrayIcon.h"

#include "FakeServices.h"

#include <QFile>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QStyleHints>
#include <QtTest>

Q_DECLARE_METATYPE(Notifier::BalloonIcon)

namespace {
constexpr int kInterval = 60;

/// A tray icon whose place on the screen the test decides.
class PlacedTray : public TrayIcon
{
public:
    using TrayIcon::TrayIcon;
    bool onIcon = true;

protected:
    bool isOnIcon(const QPoint &) const override { return onIcon; }
};

void pressOn(QMenu &menu, QEvent::Type type)
{
    QMouseEvent e(type, QPointF(-20, -20), QPointF(1268, 13), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&menu, &e);
}
} // namespace

class TestTray : public QObject
{
    Q_OBJECT
private slots:
    void setUp()
    {
        PopupMenuWidget menu;
        TrayIcon tray(&menu);
        QCOMPARE(tray.objectName(), QStringLiteral("CoolTrayIcon1"));
        QVERIFY(!tray.icon().isNull());
        QVERIFY(!tray.icon().pixmap(48, 48).isNull());
        QVERIFY(tray.toolTip().isEmpty());
        QCOMPARE(tray.contextMenu(), &menu);
        QCOMPARE(tray.clickInterval(), QGuiApplication::styleHints()->mouseDoubleClickInterval());
    }

    void clicks_data()
    {
        // clang-format off
        QTest::addColumn<QString>("script");
        QTest::addColumn<int>("clicks");
        QTest::addColumn<int>("doubles");
        // T a left press (Trigger), D a double click, C a right press (Context), w a wait longer than the
        // double-click time, s a short wait within it.
        QTest::newRow("single click") << "T w" << 1 << 0;
        QTest::newRow("double click") << "T s D w" << 0 << 1;
        QTest::newRow("two slow clicks") << "T w T w" << 2 << 0;
        QTest::newRow("click then double click") << "T w T s D w" << 1 << 1;
        QTest::newRow("right press") << "C w" << 0 << 0;
        QTest::newRow("right press after a left one") << "T s C w" << 1 << 0;
        // clang-format on
    }
    void clicks()
    {
        QFETCH(QString, script);
        QFETCH(int, clicks);
        QFETCH(int, doubles);
        PopupMenuWidget menu;
        TrayIcon tray(&menu);
        tray.setLeftPopup(false);
        tray.setClickInterval(kInterval);
        QSignalSpy single(&tray, &TrayIcon::clicked);
        QSignalSpy dbl(&tray, &TrayIcon::doubleClicked);
        for (const QString &step : script.split(QLatin1Char(' '))) {
            if (step == QLatin1String("T"))
                emit tray.activated(QSystemTrayIcon::Trigger);
            else if (step == QLatin1String("D"))
                emit tray.activated(QSystemTrayIcon::DoubleClick);
            else if (step == QLatin1String("C"))
                emit tray.activated(QSystemTrayIcon::Context);
            else if (step == QLatin1String("s"))
                QTest::qWait(kInterval / 4);
            else if (step == QLatin1String("w"))
                QTest::qWait(kInterval * 4);
        }
        QCOMPARE(single.size(), clicks);
        QCOMPARE(dbl.size(), doubles);
    }

    void leftPressOpensTheMenuAtOnce()
    {
        PopupMenuWidget menu;
        TrayIcon tray(&menu);
        tray.setClickInterval(kInterval);
        QSignalSpy opened(&menu, &QMenu::aboutToShow);
        emit tray.activated(QSystemTrayIcon::Trigger);
        QCOMPARE(opened.size(), 1);
        QVERIFY(menu.isVisible());
        // The double click takes the menu down again and shows the window instead.
        QSignalSpy dbl(&tray, &TrayIcon::doubleClicked);
        emit tray.activated(QSystemTrayIcon::DoubleClick);
        QCOMPARE(dbl.size(), 1);
        QVERIFY(!menu.isVisible());
    }

    void secondPressWhileTheMenuIsUp_data()
    {
        // clang-format off
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("onIcon");
        QTest::addColumn<int>("delay");
        QTest::addColumn<int>("clicks");
        QTest::addColumn<int>("doubles");
        // The menu holds the pointer, so the tray never reports the second press of a double click:
        // the menu receives it, as a press or (being quick) as a double click.
        QTest::newRow("quick, seen as a double click") << int(QEvent::MouseButtonDblClick) << true << 0 << 0 << 1;
        QTest::newRow("seen as a press") << int(QEvent::MouseButtonPress) << true << 0 << 0 << 1;
        QTest::newRow("elsewhere on the screen") << int(QEvent::MouseButtonPress) << false << 0 << 1 << 0;
        QTest::newRow("too late") << int(QEvent::MouseButtonPress) << true << kInterval * 3 << 1 << 0;
        // clang-format on
    }
    void secondPressWhileTheMenuIsUp()
    {
        QFETCH(int, type);
        QFETCH(bool, onIcon);
        QFETCH(int, delay);
        QFETCH(int, clicks);
        QFETCH(int, doubles);
        PopupMenuWidget menu;
        PlacedTray tray(&menu);
        tray.onIcon = onIcon;
        tray.setClickInterval(kInterval);
        QSignalSpy single(&tray, &TrayIcon::clicked);
        QSignalSpy dbl(&tray, &TrayIcon::doubleClicked);
        emit tray.activated(QSystemTrayIcon::Trigger);
        QVERIFY(menu.isVisible());
        if (delay)
            QTest::qWait(delay);
        pressOn(menu, QEvent::Type(type));
        QTest::qWait(kInterval * 3);
        QCOMPARE(single.size(), clicks);
        QCOMPARE(dbl.size(), doubles);
        if (doubles)
            QVERIFY(!menu.isVisible());
        menu.hide();
    }

    void aMenuOpenedFromTheWindowIsNotAClick()
    {
        PopupMenuWidget menu;
        PlacedTray tray(&menu);
        tray.setClickInterval(kInterval);
        QSignalSpy dbl(&tray, &TrayIcon::doubleClicked);
        menu.popup(QPoint(10, 10));
        pressOn(menu, QEvent::MouseButtonPress);
        QCOMPARE(dbl.size(), 0);
        menu.hide();
    }

    void balloonsAreCut()
    {
        PopupMenuWidget menu;
        TrayIcon tray(&menu);
        QVERIFY(!tray.balloonShowing());
        tray.showBalloon(QString(70, QLatin1Char('T')), QString(300, QLatin1Char('x')), 10,
                         Notifier::BalloonIcon::Information);
        QCOMPARE(tray.lastBalloonTitle().size(), 63);
        QCOMPARE(tray.lastBalloonText().size(), 255);
        QVERIFY(tray.balloonShowing());
        tray.hideBalloon();
        QVERIFY(!tray.balloonShowing());
        tray.hideBalloon(); // nothing showing: nothing to do
        QVERIFY(!tray.balloonShowing());

        // A short balloon: a Russian text just at the limit stays whole.
        const QString text = QString(255, QChar(0x0416));
        tray.showBalloon(QStringLiteral("Следующее событие"), text, 1, Notifier::BalloonIcon::Warning);
        QCOMPARE(tray.lastBalloonText(), text);
        QTRY_VERIFY_WITH_TIMEOUT(!tray.balloonShowing(), 3000);
    }

    void balloonIcons_data()
    {
        // clang-format off
        QTest::addColumn<Notifier::BalloonIcon>("kind");
        QTest::addColumn<int>("icon");
        QTest::newRow("none") << Notifier::BalloonIcon::None << int(QSystemTrayIcon::NoIcon);
        QTest::newRow("information") << Notifier::BalloonIcon::Information << int(QSystemTrayIcon::Information);
        QTest::newRow("warning") << Notifier::BalloonIcon::Warning << int(QSystemTrayIcon::Warning);
        QTest::newRow("error") << Notifier::BalloonIcon::Error << int(QSystemTrayIcon::Critical);
        // clang-format on
    }
    void balloonIcons()
    {
        QFETCH(Notifier::BalloonIcon, kind);
        QFETCH(int, icon);
        QCOMPARE(int(TrayIcon::messageIconOf(kind)), icon);
    }

    void clickAnswersWithTheNextNews()
    {
        // Wired as the main window wires it: a single click beeps and names the next release.
        PopupMenuWidget menu;
        TrayIcon tray(&menu);
        tray.setLeftPopup(false);
        tray.setClickInterval(kInterval);
        FakeClock clock(QDateTime(QDate(2026, 3, 5), QTime(14, 28, 30)));
        const QList<NextNews::Release> rows
            = {{QDate(2026, 3, 5), QTime(16, 30, 0)}, {QDate(2026, 3, 5), QTime(15, 0, 0)}};
        connect(&tray, &TrayIcon::clicked, &tray, [&] {
            NextNews::announce(rows, clock, tray);
        });
        emit tray.activated(QSystemTrayIcon::Trigger);
        QTRY_VERIFY(tray.balloonShowing());
        QCOMPARE(tray.lastBalloonTitle(), QStringLiteral("Следующее событие"));
        QCOMPARE(tray.lastBalloonText(), QStringLiteral("Следующая новость будет опубликована в 15:00:00"));

        // A double click shows the window and no balloon.
        tray.hideBalloon();
        emit tray.activated(QSystemTrayIcon::Trigger);
        emit tray.activated(QSystemTrayIcon::DoubleClick);
        QTest::qWait(kInterval * 4);
        QVERIFY(!tray.balloonShowing());
    }

    void ownChimeIsCompiledIn()
    {
        QFile wav(QStringLiteral(":/mailbeep.wav"));
        QVERIFY(wav.open(QIODevice::ReadOnly));
        const QByteArray head = wav.read(12);
        QVERIFY(head.startsWith("RIFF"));
        QCOMPARE(head.mid(8, 4), QByteArray("WAVE"));
        PopupMenuWidget menu;
        TrayIcon tray(&menu);
        // Returns at once; without a sound device it plays nothing and reports nothing.
        tray.playSound(QStringLiteral("MailBeep"));
        tray.playSound(QStringLiteral("MailBeep"));
    }
};

QTEST_MAIN(TestTray)
#include "test_tray.moc"
