// The tray icon: single click told from double click, the menu on a left press, balloons cut to the
// tray's limits, and the next-news answer to a click.
#include "app/NextNews.h"
#include "app/PopupMenuWidget.h"
#include "app/TrayIcon.h"

#include "FakeServices.h"

#include <QFile>
#include <QSignalSpy>
#include <QStyleHints>
#include <QtTest>

Q_DECLARE_METATYPE(Notifier::BalloonIcon)

namespace {
constexpr int kInterval = 60;
}

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
        QTest::addColumn<Notifier::BalloonIcon>("kind");
        QTest::addColumn<int>("icon");
        QTest::newRow("none") << Notifier::BalloonIcon::None << int(QSystemTrayIcon::NoIcon);
        QTest::newRow("information") << Notifier::BalloonIcon::Information << int(QSystemTrayIcon::Information);
        QTest::newRow("warning") << Notifier::BalloonIcon::Warning << int(QSystemTrayIcon::Warning);
        QTest::newRow("error") << Notifier::BalloonIcon::Error << int(QSystemTrayIcon::Critical);
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
        const QList<NextNews::Release> rows = {{QDate(2026, 3, 5), QTime(16, 30, 0)},
                                               {QDate(2026, 3, 5), QTime(15, 0, 0)}};
        connect(&tray, &TrayIcon::clicked, &tray, [&] { NextNews::announce(rows, clock, tray); });
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
