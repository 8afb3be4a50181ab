// The real chain: the local speech service, the GET client, the cache file and Qt Multimedia playing to the end.
#include "FakeServices.h"
#include "TempAppDir.h"
#include "clock/Greeting.h"
#include "clock/Voice.h"
#include "online/HttpGetClient.h"
#include "platform/Mp3PlayerQt.h"

#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

namespace {

// Debian's own interpreter when there is one: the service needs nothing beyond the standard library.
QString pythonProgram()
{
    return QFile::exists(QStringLiteral("/usr/bin/python3")) ? QStringLiteral("/usr/bin/python3")
                                                             : QStringLiteral("python3");
}

} // namespace

class TestVoicePlayback : public QObject
{
    Q_OBJECT

private:
    QProcess m_service;
    QUrl m_serviceUrl;

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("espeak-ng")).isEmpty()
            || QStandardPaths::findExecutable(QStringLiteral("lame")).isEmpty())
            QSKIP("espeak-ng and lame are needed");
        m_service.start(pythonProgram(), {QStringLiteral(VELTRANE_SOURCE_DIR "/tools/speech_service.py"),
                                          QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--quiet")});
        QVERIFY(m_service.waitForStarted(10000));
        QVERIFY(m_service.waitForReadyRead(10000));
        const QByteArray line = m_service.readLine().trimmed(); // listening on 127.0.0.1:PORT
        const int port = line.mid(line.lastIndexOf(':') + 1).toInt();
        QVERIFY2(port > 0, line.constData());
        m_serviceUrl = QUrl(QStringLiteral("http://127.0.0.1:%1").arg(port));
    }

    void cleanupTestCase()
    {
        if (m_service.state() != QProcess::NotRunning) {
            m_service.terminate();
            m_service.waitForFinished(5000);
        }
    }

    void greetingIsFetchedAndPlayedToTheEnd()
    {
        TempAppDir dir;
        FakeServices fakes;
        fakes.net.online = true;
        fakes.clock.setLocal(QDateTime(QDate(2026, 3, 5), QTime(9, 30)));
        HttpGetClient http;
        Mp3PlayerQt player;
        Voice voice(&fakes.net, &http, &player, dir.appDir(), m_serviceUrl);
        voice.setVoiceLang(QStringLiteral("ru"));
        const QHash<QString, QString> texts{{"Goodday", "Добрый день!"}, {"tud", "Сегодня"}, {"Day5", "Четверг"}};
        Greeting greeting(&fakes.clock, &voice, [texts](const QString &key) {
            return texts.value(key);
        });
        greeting.setVoiceLang(QStringLiteral("ru"));

        QSignalSpy started(&player, &Mp3PlayerQt::started);
        QSignalSpy finished(&player, &Mp3PlayerQt::finished);
        QSignalSpy failed(&player, &Mp3PlayerQt::failed);
        int answers = 0;
        auto greet = [&] {
            greeting.sayGreeting(nullptr, [&answers](const Speech::Result &r) {
                QVERIFY2(!r.failed, qPrintable(r.failure));
                ++answers;
            });
        };
        greet();
        QTRY_COMPARE_WITH_TIMEOUT(answers, 1, 20000);
        const QByteArray recording = dir.read(QStringLiteral("hello-ru.mp3"));
        QVERIFY(recording.size() > 1000);
        QVERIFY(Voice::isMpegAudio(recording));
        QVERIFY(finished.wait(20000));
        QVERIFY(started.size() >= 1);
        QCOMPARE(failed.size(), 0);

        // A second greeting replaces the file the player held and plays again.
        greet();
        QTRY_COMPARE_WITH_TIMEOUT(answers, 2, 20000);
        QVERIFY(finished.wait(20000));
        QCOMPARE(failed.size(), 0);
    }

    void nonAudioIsReportedByTheBackEnd()
    {
        // What the byte check in front of it spares the user: the back end only complains later.
        TempAppDir dir;
        QVERIFY(dir.write(QStringLiteral("bad.mp3"), "<html><body>not audio</body></html>"));
        Mp3PlayerQt player;
        QSignalSpy failed(&player, &Mp3PlayerQt::failed);
        player.play(dir.path(QStringLiteral("bad.mp3")));
        QVERIFY(failed.wait(10000));
        player.close();
    }
};

QTEST_GUILESS_MAIN(TestVoicePlayback)
#include "test_voice_playback.moc"
