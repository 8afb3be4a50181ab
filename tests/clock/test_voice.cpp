// The voice: preconditions, the cache of recordings, the request, failures, and the daily greeting.
#include "FakeServices.h"
#include "LoopbackHttpServer.h"
#include "TempAppDir.h"
#include "clock/Greeting.h"
#include "clock/Voice.h"
#include "online/HttpGetClient.h"
#include "platform/Mp3Player.h"

#include <QHash>
#include <QTest>
#include <QTimer>
#include <optional>

using Server = LoopbackHttpServer;

namespace {

// A little MP3 frame header (MPEG-1 layer III, 128 kbit/s, 44.1 kHz) followed by filler.
const QByteArray Mp3Body = QByteArray("\xFF\xFB\x90\x00", 4) + QByteArray(400, '\x11');

class FakePlayer : public Mp3Player
{
public:
    QStringList log;
    void close() override { log << QStringLiteral("close"); }
    void play(const QString &filePath) override { log << QStringLiteral("play ") + filePath; }
};

// The language file's Russian defaults, as the language object hands them out.
QHash<QString, QString> russianTexts()
{
    return {{"morning", "Доброе утро!"}, {"Goodday", "Добрый день!"}, {"evening", "Добрый вечер!"},
            {"night", "Доброй ночи!"},   {"tud", "Сегодня "},         {"Day1", "Воскресенье"},
            {"Day2", "Понедельник"},     {"Day3", "Вторник"},         {"Day4", "Среда"},
            {"Day5", "Четверг"},         {"Day6", "Пятница"},         {"Day7", "Суббота"}};
}

} // namespace

class TestVoice : public QObject
{
    Q_OBJECT

private:
    struct Rig
    {
        TempAppDir dir;
        Server server;
        FakeNetState net;
        HttpGetClient http{{1000, 2000}};
        FakePlayer player;
        std::unique_ptr<Voice> voice;

        Rig()
        {
            server.listen();
            server.setHandler([](const Server::Request &) {
                return Server::reply(200, "OK", Mp3Body);
            });
            net.online = true;
            voice = std::make_unique<Voice>(&net, &http, &player, dir.appDir(), server.url());
            voice->setVoiceLang(QStringLiteral("ru"));
        }
        QString file(const QString &name) const { return dir.path(name + QStringLiteral(".mp3")); }

        /// Speaks and waits for the answer (a failure "no answer" when none comes).
        Speech::Result speak(const QString &text, const QString &name, bool refetch)
        {
            std::optional<Speech::Result> result;
            voice->speakText(text, name, refetch, nullptr, [&result](const Speech::Result &r) {
                result = r;
            });
            if (!QTest::qWaitFor(
                    [&result] {
                        return result.has_value();
                    },
                    10000))
                return {true, QStringLiteral("no answer")};
            return *result;
        }
    };

private slots:
    void recordingIsFetchedOnceThenReplayed()
    {
        Rig rig;
        QVERIFY(!rig.speak(QStringLiteral("Позвонить"), QStringLiteral("message12"), false).failed);
        QCOMPARE(rig.server.requests().size(), 1);
        QCOMPARE(rig.dir.read(QStringLiteral("message12.mp3")), Mp3Body);
        QCOMPARE(rig.player.log, QStringList({"close", "play " + rig.file("message12")}));

        QVERIFY(!rig.speak(QStringLiteral("Позвонить"), QStringLiteral("message12"), false).failed);
        QCOMPARE(rig.server.requests().size(), 1);
        QCOMPARE(rig.player.log.size(), 4);
        QCOMPARE(rig.player.log.last(), "play " + rig.file("message12"));
    }

    void nothingAtAllWhenSpeechIsUnavailable_data()
    {
        QTest::addColumn<bool>("online");
        QTest::addColumn<QString>("lang");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("refetch");
        QTest::newRow("offline") << false << "ru" << true << false;
        QTest::newRow("offline, refetch") << false << "ru" << true << true;
        QTest::newRow("Bulgarian") << true << "bg" << true << false;
        QTest::newRow("Bulgarian, voice item off") << true << "bg" << false << true;
        QTest::newRow("Ukrainian") << true << "uk" << true << true;
        QTest::newRow("voice item off") << true << "ru" << false << false;
    }
    void nothingAtAllWhenSpeechIsUnavailable()
    {
        QFETCH(bool, online);
        QFETCH(QString, lang);
        QFETCH(bool, enabled);
        QFETCH(bool, refetch);
        Rig rig;
        rig.net.online = online;
        rig.voice->setVoiceLang(lang);
        rig.voice->setEnabled(enabled);
        const QString name = QStringLiteral("poweroff-") + lang;
        QVERIFY(rig.dir.write(name + QStringLiteral(".mp3"), Mp3Body));
        QVERIFY(!rig.speak(QStringLiteral("Выключение"), name, refetch).failed);
        QCOMPARE(rig.server.requests().size(), 0);
        QCOMPARE(rig.player.log, QStringList());
        QCOMPARE(rig.dir.read(name + QStringLiteral(".mp3")), Mp3Body);
    }

    void refetchClosesThePlayerBeforeReplacingTheFile()
    {
        Rig rig;
        QVERIFY(rig.dir.write(QStringLiteral("hello-ru.mp3"), "ID3 old"));
        bool closedAndGone = false;
        rig.server.setHandler([&](const Server::Request &) {
            closedAndGone = rig.player.log == QStringList{"close"} && !rig.dir.exists(QStringLiteral("hello-ru.mp3"));
            return Server::reply(200, "OK", Mp3Body);
        });
        QVERIFY(!rig.speak(QStringLiteral("Привет"), QStringLiteral("hello-ru"), true).failed);
        QVERIFY(closedAndGone);
        QCOMPARE(rig.dir.read(QStringLiteral("hello-ru.mp3")), Mp3Body);
        QCOMPARE(rig.player.log, QStringList({"close", "close", "play " + rig.file("hello-ru")}));
    }

    void requestCarriesLanguageAndEncodedText_data()
    {
        QTest::addColumn<QString>("lang");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("target");
        QTest::newRow("Cyrillic and spaces") << "ru"
                                             << "Д д" << QByteArray("/translate_tts?ie=UTF-8&tl=ru&q=%D0%94+%D0%B4");
        QTest::newRow("punctuation") << "en"
                                     << "a-b.c~d_e,f!"
                                     << QByteArray("/translate_tts?ie=UTF-8&tl=en&q=a%2Db%2Ec%7Ed_e%2Cf%21");
        QTest::newRow("no voice language") << ""
                                           << "Hi 5" << QByteArray("/translate_tts?ie=UTF-8&tl=&q=Hi+5");
        QTest::newRow("query characters")
            << "de"
            << "a&q=b%c+d" << QByteArray("/translate_tts?ie=UTF-8&tl=de&q=a%26q%3Db%25c%2Bd");
    }
    void requestCarriesLanguageAndEncodedText()
    {
        QFETCH(QString, lang);
        QFETCH(QString, text);
        QFETCH(QByteArray, target);
        Rig rig;
        rig.voice->setVoiceLang(lang);
        QVERIFY(!rig.speak(text, QStringLiteral("mess-") + lang, true).failed);
        QCOMPARE(rig.server.requests().size(), 1);
        QCOMPARE(rig.server.requests().first().target, target);
        QVERIFY(rig.dir.exists(QStringLiteral("mess-") + lang + QStringLiteral(".mp3")));
    }

    void encodeQueryTextRules_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("encoded");
        QTest::newRow("kept") << "AZaz09_" << QByteArray("AZaz09_");
        QTest::newRow("space") << "  " << QByteArray("++");
        QTest::newRow("De") << "Д" << QByteArray("%D0%94");
        QTest::newRow("unreserved still escaped") << "-.~" << QByteArray("%2D%2E%7E");
        QTest::newRow("three-byte letter") << "€" << QByteArray("%E2%82%AC");
        QTest::newRow("sentence") << "Добрый день! Сегодня"
                                  << QByteArray("%D0%94%D0%BE%D0%B1%D1%80%D1%8B%D0%B9+%D0%B4%D0%B5%D0%BD%D1%8C%21+"
                                                "%D0%A1%D0%B5%D0%B3%D0%BE%D0%B4%D0%BD%D1%8F");
        QTest::newRow("empty") << "" << QByteArray();
    }
    void encodeQueryTextRules()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, encoded);
        QCOMPARE(Voice::encodeQueryText(text), encoded);
    }

    void failedDownloadLeavesNoFile_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("cached");
        QTest::newRow("404") << 0 << false;
        QTest::newRow("404, old recording") << 0 << true;
        QTest::newRow("500") << 1 << false;
        QTest::newRow("never answers") << 2 << true;
    }
    void failedDownloadLeavesNoFile()
    {
        QFETCH(int, kind);
        QFETCH(bool, cached);
        Rig rig;
        rig.http.setTimeouts({1000, 300});
        if (cached)
            QVERIFY(rig.dir.write(QStringLiteral("mess-ru.mp3"), Mp3Body));
        rig.server.setHandler([kind](const Server::Request &) {
            if (kind == 0)
                return Server::reply(404, "Not Found", "<html>not here</html>");
            if (kind == 1)
                return Server::reply(500, "Internal Server Error", "<html>oops</html>");
            return Server::silent();
        });
        const Speech::Result result = rig.speak(QStringLiteral("Новость"), QStringLiteral("mess-ru"), true);
        QVERIFY(result.failed);
        QVERIFY(result.failure.contains(kind == 2 ? "timed out" : kind == 0 ? "404" : "500"));
        QVERIFY(!rig.dir.exists(QStringLiteral("mess-ru.mp3")));
        QVERIFY(!rig.player.log.contains("play " + rig.file("mess-ru")));
    }

    void bodyThatIsNotAudioIsRefusedBeforePlayback_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("HTML page with success status") << 0;
        QTest::newRow("empty redirect body") << 1;
    }
    void bodyThatIsNotAudioIsRefusedBeforePlayback()
    {
        QFETCH(int, kind);
        Rig rig;
        rig.server.setHandler([kind](const Server::Request &) {
            if (kind == 0)
                return Server::reply(200, "OK", "<html><body>captcha</body></html>");
            return Server::reply(302, "Found", {}, {{"Location", "http://127.0.0.1:9/sorry"}});
        });
        const Speech::Result result = rig.speak(QStringLiteral("Напоминание"), QStringLiteral("message7"), false);
        QVERIFY(result.failed);
        QVERIFY(result.failure.contains(rig.file("message7")));
        QVERIFY(!rig.player.log.join(' ').contains("play"));
        // Not kept: the next reminder fetches the recording again instead of failing for ever.
        QVERIFY(!rig.dir.exists(QStringLiteral("message7.mp3")));
        rig.server.setHandler([](const Server::Request &) {
            return Server::reply(200, "OK", Mp3Body);
        });
        QVERIFY(!rig.speak(QStringLiteral("Напоминание"), QStringLiteral("message7"), false).failed);
        QCOMPARE(rig.server.requests().size(), 2);
        QCOMPARE(rig.player.log.last(), "play " + rig.file("message7"));
    }

    void mpegAudioRecognised_data()
    {
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<bool>("audio");
        QTest::newRow("ID3 tag") << QByteArray("ID3\x04") << true;
        QTest::newRow("MPEG-1 layer III") << QByteArray("\xFF\xFB\x90\x00", 4) << true;
        QTest::newRow("MPEG-2 layer III (espeak + lame)") << QByteArray("\xFF\xF3\x60\xC4", 4) << true;
        QTest::newRow("HTML") << QByteArray("<!DO") << false;
        QTest::newRow("empty") << QByteArray() << false;
        QTest::newRow("reserved version") << QByteArray("\xFF\xEB\x90\x00", 4) << false;
        QTest::newRow("bad bitrate") << QByteArray("\xFF\xFB\xF0\x00", 4) << false;
        QTest::newRow("reserved sample rate") << QByteArray("\xFF\xFB\x9C\x00", 4) << false;
    }
    void mpegAudioRecognised()
    {
        QFETCH(QByteArray, head);
        QFETCH(bool, audio);
        QCOMPARE(Voice::isMpegAudio(head), audio);
    }

    void secondAnnouncementClosesTheFirst()
    {
        Rig rig;
        QVERIFY(!rig.speak(QStringLiteral("Первое"), QStringLiteral("message1"), false).failed);
        QVERIFY(!rig.speak(QStringLiteral("Второе"), QStringLiteral("message2"), false).failed);
        QCOMPARE(rig.player.log,
                 QStringList({"close", "play " + rig.file("message1"), "close", "play " + rig.file("message2")}));
    }

    void announcementDuringADownloadKeepsBothRecordings()
    {
        // A news alert arrives while the greeting still downloads: each keeps its own answer, and the one that
        // arrives first plays first.
        Rig rig;
        const QByteArray greetingBody = "ID3" + QByteArray(6000, 'G');
        const QByteArray alertBody = "ID3" + QByteArray(4000, 'N');
        rig.server.setHandler([&](const Server::Request &r) {
            if (r.target.contains("tl=ru&q=G"))
                return Server::delayed(Server::replyChunked(200, "OK", greetingBody, 1000), 300);
            return Server::reply(200, "OK", alertBody);
        });
        int answers = 0;
        auto count = [&answers](const Speech::Result &r) {
            answers += r.failed ? 100 : 1;
        };
        rig.voice->speakText(QStringLiteral("G"), QStringLiteral("hello-ru"), true, nullptr, count);
        QTimer::singleShot(50, [&] {
            rig.voice->speakText(QStringLiteral("N"), QStringLiteral("mess-ru"), true, nullptr, count);
        });
        QTRY_COMPARE_WITH_TIMEOUT(answers, 2, 10000);
        QCOMPARE(rig.dir.read(QStringLiteral("hello-ru.mp3")), greetingBody);
        QCOMPARE(rig.dir.read(QStringLiteral("mess-ru.mp3")), alertBody);
        QCOMPARE(rig.player.log,
                 QStringList({"close", "play " + rig.file("mess-ru"), "close", "play " + rig.file("hello-ru")}));
    }

    void answersComeFromTheEventLoop_data()
    {
        QTest::addColumn<bool>("online");
        QTest::addColumn<bool>("cached");
        QTest::newRow("offline") << false << false;
        QTest::newRow("cached recording") << true << true;
        QTest::newRow("download") << true << false;
    }
    void answersComeFromTheEventLoop()
    {
        // The caller's slot (a tick, a scan) ends before anything is touched or answered: no request has gone
        // out, nothing plays and done has not run when speakText returns.
        QFETCH(bool, online);
        QFETCH(bool, cached);
        Rig rig;
        rig.net.online = online;
        if (cached)
            QVERIFY(rig.dir.write(QStringLiteral("appStart-ru.mp3"), Mp3Body));
        int answers = 0;
        rig.voice->speakText(QStringLiteral("Запуск"), QStringLiteral("appStart-ru"), false, nullptr,
                             [&answers](const Speech::Result &r) {
                                 QVERIFY(!r.failed);
                                 ++answers;
                             });
        QCOMPARE(answers, 0);
        QCOMPARE(rig.player.log, QStringList());
        QCOMPARE(rig.voice->pendingCount(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(answers, 1, 10000);
        QCOMPARE(rig.voice->pendingCount(), 0);
        QCOMPARE(rig.server.requests().size(), online && !cached ? 1 : 0);
        QCOMPARE(rig.player.log.size(), online ? 2 : 0);
    }

    void requestsForARecordingOnItsWayShareIt()
    {
        // Two reminders for event 5 while its recording downloads: one request, one playback, two answers.
        Rig rig;
        rig.server.setHandler([](const Server::Request &) {
            return Server::delayed(Server::reply(200, "OK", Mp3Body), 300);
        });
        int answers = 0;
        for (int i = 0; i < 2; ++i)
            rig.voice->speakText(QStringLiteral("Позвонить"), QStringLiteral("message5"), false, nullptr,
                                 [&answers](const Speech::Result &r) {
                                     answers += r.failed ? 100 : 1;
                                 });
        QTRY_COMPARE_WITH_TIMEOUT(answers, 2, 10000);
        QCOMPARE(rig.server.requests().size(), 1);
        QCOMPARE(rig.player.log.count("play " + rig.file("message5")), 1);
    }

    void newerTextReplacesTheDownloadOnItsWay()
    {
        // Two news alerts in quick succession, the first answered slowly: the older text never overwrites the
        // newer one, and both callers hear how it ended.
        Rig rig;
        const QByteArray older = "ID3" + QByteArray(500, 'A');
        const QByteArray newer = "ID3" + QByteArray(500, 'B');
        rig.server.setHandler([&](const Server::Request &r) {
            if (r.target.endsWith("q=A"))
                return Server::delayed(Server::reply(200, "OK", older), 400);
            return Server::reply(200, "OK", newer);
        });
        int answers = 0;
        auto count = [&answers](const Speech::Result &r) {
            answers += r.failed ? 100 : 1;
        };
        rig.voice->speakText(QStringLiteral("A"), QStringLiteral("mess-ru"), true, nullptr, count);
        QTRY_COMPARE_WITH_TIMEOUT(rig.server.requests().size(), 1, 5000);
        rig.voice->speakText(QStringLiteral("B"), QStringLiteral("mess-ru"), true, nullptr, count);
        QTRY_COMPARE_WITH_TIMEOUT(answers, 2, 10000);
        QTest::qWait(600); // past the moment the first answer would have come
        QCOMPARE(rig.dir.read(QStringLiteral("mess-ru.mp3")), newer);
        QCOMPARE(rig.player.log.count("play " + rig.file("mess-ru")), 1);
        QCOMPARE(answers, 2);
    }

    void noAnswerAfterTheCallerIsGone()
    {
        Rig rig;
        auto *caller = new QObject;
        bool answered = false;
        rig.voice->speakText(QStringLiteral("Привет"), QStringLiteral("hello-ru"), true, caller, [&answered](auto) {
            answered = true;
        });
        delete caller;
        QTRY_COMPARE_WITH_TIMEOUT(rig.player.log.size(), 2, 10000); // the recording is still fetched and played
        QTest::qWait(50);
        QVERIFY(!answered);
    }

    // The greeting.

    void greetingWordByTimeOfDay_data()
    {
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("key");
        QTest::newRow("23:30") << QTime(23, 30) << "night";
        QTest::newRow("00:00") << QTime(0, 0) << "night";
        QTest::newRow("02:59:59") << QTime(2, 59, 59) << "night";
        QTest::newRow("03:00:00") << QTime(3, 0) << "night";
        QTest::newRow("03:00:01") << QTime(3, 0, 1) << "morning";
        QTest::newRow("08:59:59") << QTime(8, 59, 59) << "morning";
        QTest::newRow("09:00:00") << QTime(9, 0) << "Goodday";
        QTest::newRow("14:59:59") << QTime(14, 59, 59) << "Goodday";
        QTest::newRow("15:00:00") << QTime(15, 0) << "evening";
        QTest::newRow("20:59:59") << QTime(20, 59, 59) << "evening";
        QTest::newRow("21:00:00") << QTime(21, 0) << "night";
    }
    void greetingWordByTimeOfDay()
    {
        QFETCH(QTime, time);
        QFETCH(QString, key);
        QCOMPARE(Greeting::greetingKey(time), key);
    }

    void greetingSentenceIsSpokenAnew_data()
    {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QString>("tud");
        QTest::addColumn<QString>("lang");
        QTest::addColumn<QString>("sentence");
        QTest::addColumn<QString>("sound");
        QTest::newRow("defaults: two spaces") << QDateTime(QDate(2012, 3, 5), QTime(10, 0)) << "Сегодня "
                                              << "ru"
                                              << "Добрый день! Сегодня  Понедельник, 05.03.2012 года"
                                              << "hello-ru";
        QTest::newRow("from the language file") << QDateTime(QDate(2026, 3, 8), QTime(23, 30)) << "Сегодня"
                                                << "ru"
                                                << "Доброй ночи! Сегодня Воскресенье, 08.03.2026 года"
                                                << "hello-ru";
        QTest::newRow("Saturday morning, no voice language")
            << QDateTime(QDate(2026, 3, 7), QTime(3, 0, 1)) << "Сегодня"
            << ""
            << "Доброе утро! Сегодня Суббота, 07.03.2026 года"
            << "hello-";
    }
    void greetingSentenceIsSpokenAnew()
    {
        QFETCH(QDateTime, now);
        QFETCH(QString, tud);
        QFETCH(QString, lang);
        QFETCH(QString, sentence);
        QFETCH(QString, sound);
        FakeServices fakes;
        fakes.clock.setLocal(now);
        QHash<QString, QString> texts = russianTexts();
        texts[QStringLiteral("tud")] = tud;
        Greeting greeting(&fakes.clock, &fakes.speech, [texts](const QString &key) {
            return texts.value(key);
        });
        greeting.setVoiceLang(lang);
        greeting.sayGreeting();
        QCOMPARE(fakes.speech.calls.size(), 1);
        QCOMPARE(fakes.speech.calls.first().text, sentence);
        QCOMPARE(fakes.speech.calls.first().soundName, sound);
        QVERIFY(fakes.speech.calls.first().refetch);
    }

    void weekdayNamesRunFromSunday()
    {
        FakeServices fakes;
        const QHash<QString, QString> texts = russianTexts();
        Greeting greeting(&fakes.clock, &fakes.speech, [texts](const QString &key) {
            return texts.value(key);
        });
        const QDate sunday(2026, 3, 1);
        for (int i = 0; i < 7; ++i) {
            fakes.clock.setLocal(QDateTime(sunday.addDays(i), QTime(12, 0)));
            QCOMPARE(greeting.todayWeekdayName(), texts.value(QStringLiteral("Day") + QString::number(i + 1)));
        }
    }

    void greetingDateFollowsTheShortDateFormat()
    {
        FakeServices fakes;
        fakes.clock.setLocal(QDateTime(QDate(2012, 3, 5), QTime(16, 0)));
        fakes.clock.setFormats(QStringLiteral("M/d/yy"), QStringLiteral("h:mm:ss AP"));
        const QHash<QString, QString> texts = russianTexts();
        Greeting greeting(&fakes.clock, &fakes.speech, [texts](const QString &key) {
            return texts.value(key);
        });
        QCOMPARE(greeting.sentence(), QStringLiteral("Добрый вечер! Сегодня  Понедельник, 3/5/12 года"));
    }

    void greetingFailureReachesTheCaller()
    {
        FakeServices fakes;
        fakes.speech.fail = true;
        Greeting greeting(&fakes.clock, &fakes.speech, [](const QString &key) {
            return key;
        });
        QString failure;
        greeting.sayGreeting(nullptr, [&failure](const Speech::Result &r) {
            failure = r.failure;
        });
        QTRY_COMPARE(failure, QStringLiteral("speech failed"));
    }
};

QTEST_GUILESS_MAIN(TestVoice)
#include "test_voice.moc"
