// The update check against a loopback site: the markers, the numeric comparison, the tick's notice, the About
// window's answers, and that neither waits for the page.
#include "FakeServices.h"
#include "LoopbackHttpServer.h"
#include "i18n/LanguageTexts.h"
#include "online/PageFetcher.h"
#include "online/UpdateCheck.h"

#include <QSignalSpy>
#include <QTest>

using Server = LoopbackHttpServer;

class TestUpdateCheck : public QObject
{
    Q_OBJECT

private:
    struct Rig
    {
        Server server;
        FakeNetState net;
        FakePrompts prompts;
        LanguageTexts texts{LanguageTexts::Section::AboutBox};
        PageFetcher pages{&net};
        UpdateCheck check{&net, &pages, &prompts, &texts};
        QByteArray page;
        int status = 200;

        bool start()
        {
            if (!server.listen())
                return false;
            server.setHandler([this](const Server::Request &) {
                return status == 200 ? Server::reply(200, "OK", page) : Server::reply(status, "Not Found");
            });
            net.online = true;
            pages.setTimeouts({2000, 3000});
            check.setSiteUrl(server.url(QStringLiteral("/")).toString().chopped(1));
            check.setProgramVersion(QStringLiteral("2.1.0.2"));
            return true;
        }
    };

    static const QString kNoUpdate;

private slots:
    void markerContent_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("content");
        QTest::newRow("plain") << "<html><ver>2.1.0.3</ver></html>"
                               << "2.1.0.3";
        QTest::newRow("first pair wins") << "<ver>1</ver><ver>2</ver>"
                                         << "1";
        QTest::newRow("no closing marker") << "<ver>2.1.0.3"
                                           << "";
        QTest::newRow("no opening marker") << "2.1.0.3</ver>"
                                           << "";
        QTest::newRow("closing first") << "</ver>x<ver>2.1.0.3"
                                       << "";
        QTest::newRow("opening marker repeated inside") << "<ver>2.<ver>1.0.3</ver>"
                                                        << "2.1.0.3";
        QTest::newRow("empty page") << ""
                                    << "";
    }
    void markerContent()
    {
        QFETCH(QString, text);
        QFETCH(QString, content);
        QCOMPARE(UpdateCheck::markerContent(text, QStringLiteral("<ver>"), QStringLiteral("</ver>")), content);
    }

    void versionNumbersAreDigitsWithoutDots_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<qint64>("number");
        QTest::addColumn<bool>("readable");
        QTest::newRow("four parts") << "2.1.0.2" << qint64(2102) << true;
        QTest::newRow("two digits in a part") << "2.1.0.10" << qint64(21010) << true;
        QTest::newRow("short") << "2.2" << qint64(22) << true;
        QTest::newRow("empty") << "" << qint64(0) << false;
        QTest::newRow("dots only") << "..." << qint64(0) << false;
        QTest::newRow("letters") << "2.1.0.2b" << qint64(0) << false;
        QTest::newRow("sign") << "-2.1" << qint64(0) << false;
        QTest::newRow("blank inside") << "2.1 .0" << qint64(0) << false;
        QTest::newRow("too long for a number") << QString(40, QLatin1Char('9')) << qint64(0) << false;
    }
    void versionNumbersAreDigitsWithoutDots()
    {
        QFETCH(QString, version);
        QFETCH(qint64, number);
        QFETCH(bool, readable);
        const auto read = UpdateCheck::versionNumber(version);
        QCOMPARE(read.has_value(), readable);
        if (readable)
            QCOMPARE(*read, number);
    }

    // One table of published pages, for both the tick (version cut to seven characters) and the About window
    // (the whole version). notice: 1 shown, 0 hidden, -1 left as it was (no signal).
    void pagesServedOnLoopback_data()
    {
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("notice");
        QTest::addColumn<QString>("aboutKind");
        QTest::addColumn<QString>("aboutTitle");
        QTest::newRow("newer") << QByteArray("<p><ver>2.1.0.3</ver><desc>Faster clock</desc></p>") << 200 << 1
                               << "question"
                               << "Новая версия Veltrane";
        QTest::newRow("same") << QByteArray("<ver>2.1.0.2</ver>") << 200 << 0 << "information"
                              << "Обновление не требуется";
        QTest::newRow("two-digit part") << QByteArray("<ver>2.1.0.10</ver>") << 200 << 0 << "question"
                                        << "Новая версия Veltrane";
        QTest::newRow("fewer parts") << QByteArray("<ver>2.2</ver>") << 200 << 0 << "information"
                                     << "Обновление не требуется";
        QTest::newRow("no closing marker") << QByteArray("<ver>2.1.0.3") << 200 << -1 << "information"
                                           << "Veltrane";
        QTest::newRow("empty page") << QByteArray() << 200 << -1 << "information"
                                    << "Veltrane";
        QTest::newRow("not found, nothing before") << QByteArray("<ver>9.9.9.9</ver>") << 404 << -1 << "information"
                                                   << "Veltrane";
    }
    void pagesServedOnLoopback()
    {
        QFETCH(QByteArray, page);
        QFETCH(int, status);
        QFETCH(int, notice);
        QFETCH(QString, aboutKind);
        QFETCH(QString, aboutTitle);

        Rig rig;
        QVERIFY(rig.start());
        rig.page = page;
        rig.status = status;
        int hotKeyRounds = 0;
        rig.check.setEveryTick([&] {
            ++hotKeyRounds;
        });
        QSignalSpy notices(&rig.check, &UpdateCheck::noticeChanged);
        QSignalSpy downloads(&rig.check, &UpdateCheck::downloadRequested);

        rig.check.tick();
        // The tick returns before the page: nothing has been decided yet.
        QCOMPARE(hotKeyRounds, 1);
        QCOMPARE(notices.size(), 0);
        QTRY_COMPARE(rig.server.requests().size(), 1);
        QCOMPARE(rig.server.requests().first().target, QByteArray("/attachments/update.html"));
        if (notice < 0) {
            QTest::qWait(200);
            QCOMPARE(notices.size(), 0);
        } else {
            QTRY_COMPARE(notices.size(), 1);
            QCOMPARE(notices.first().first().toBool(), notice == 1);
        }

        rig.prompts.answers = {true};
        rig.check.checkNow();
        QVERIFY(rig.prompts.shown.isEmpty());
        QTRY_COMPARE(rig.prompts.shown.size(), 1);
        QTRY_VERIFY(!rig.check.isChecking());
        const auto &shown = rig.prompts.shown.first();
        QCOMPARE(shown.kind, aboutKind);
        QCOMPARE(shown.title, aboutTitle);
        if (aboutKind == QLatin1String("question")) {
            QVERIFY(shown.text.startsWith(QStringLiteral("На сайте есть обновленная версия программы\n")));
            QVERIFY(shown.text.endsWith(QStringLiteral("\nЗагрузить обновленную версию?")));
            QCOMPARE(downloads.size(), 1);
            QCOMPARE(downloads.first().first().toUrl(),
                     rig.server.url(QStringLiteral("/attachments/047_SetupVeltrane.exe")));
        } else {
            QCOMPARE(downloads.size(), 0);
        }
        if (aboutTitle == QLatin1String("Обновление не требуется"))
            QCOMPARE(shown.text, QStringLiteral("У Вас самая последняя версия программы.\nОбновление не требуется"));
    }

    void questionCarriesDescriptionAndNoMeansNoDownload()
    {
        Rig rig;
        QVERIFY(rig.start());
        rig.page = "<ver>2.1.0.3</ver> <desc>New alarms</desc>";
        QSignalSpy downloads(&rig.check, &UpdateCheck::downloadRequested);
        rig.prompts.answers = {false};
        rig.check.checkNow();
        QTRY_VERIFY(!rig.check.isChecking());
        QCOMPARE(rig.prompts.shown.size(), 1);
        QCOMPARE(
            rig.prompts.shown.first().text,
            QStringLiteral("На сайте есть обновленная версия программы\nNew alarms\nЗагрузить обновленную версию?"));
        QCOMPARE(downloads.size(), 0);
    }

    void failedFetchRepeatsThePreviousVerdict()
    {
        Rig rig;
        QVERIFY(rig.start());
        QSignalSpy notices(&rig.check, &UpdateCheck::noticeChanged);
        rig.page = "<ver>2.1.0.3</ver>";
        rig.check.tick();
        QTRY_COMPARE(notices.size(), 1);
        rig.status = 404;
        rig.check.tick();
        QTRY_COMPARE(notices.size(), 2);
        QCOMPARE(notices.at(1).first().toBool(), true);
    }

    void offlineTickOnlyRegistersHotKeys()
    {
        Rig rig;
        QVERIFY(rig.start());
        rig.net.online = false;
        int hotKeyRounds = 0;
        rig.check.setEveryTick([&] {
            ++hotKeyRounds;
        });
        QSignalSpy notices(&rig.check, &UpdateCheck::noticeChanged);
        rig.check.tick();
        QTest::qWait(100);
        QCOMPARE(hotKeyRounds, 1);
        QCOMPARE(rig.server.requests().size(), 0);
        QCOMPARE(notices.size(), 0);
    }

    void tickWhileThePageIsOnItsWayFetchesOnce()
    {
        Rig rig;
        QVERIFY(rig.start());
        rig.server.setHandler([](const Server::Request &) {
            return Server::delayed(Server::reply(200, "OK", "<ver>2.1.0.3</ver>"), 300);
        });
        int hotKeyRounds = 0;
        rig.check.setEveryTick([&] {
            ++hotKeyRounds;
        });
        QSignalSpy notices(&rig.check, &UpdateCheck::noticeChanged);
        rig.check.tick();
        rig.check.tick();
        QTRY_COMPARE(notices.size(), 1);
        QTest::qWait(100);
        QCOMPARE(notices.size(), 1);
        QCOMPARE(rig.server.requests().size(), 1);
        QCOMPARE(hotKeyRounds, 2);
    }

    void silentSiteEndsInTimeOutWithoutDecision()
    {
        Rig rig;
        QVERIFY(rig.start());
        rig.pages.setTimeouts({500, 500});
        rig.server.setHandler([](const Server::Request &) {
            return Server::silent();
        });
        QSignalSpy notices(&rig.check, &UpdateCheck::noticeChanged);
        rig.check.tick();
        QTest::qWait(900);
        QCOMPARE(notices.size(), 0);
        // The guard came down with the time-out: the next tick fetches again.
        rig.check.tick();
        QTRY_COMPARE(rig.server.requests().size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestUpdateCheck)
#include "test_update_check.moc"
