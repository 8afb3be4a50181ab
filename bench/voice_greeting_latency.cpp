// Time from a greeting request to the start of playback, with the local speech service and the real player.
// Usage: voice_greeting_latency [rounds]   (starts tools/speech_service.py on a free loopback port)
#include "clock/Greeting.h"
#include "clock/Voice.h"
#include "online/HttpGetClient.h"
#include "platform/Clock.h"
#include "platform/Mp3PlayerQt.h"
#include "platform/NetState.h"
#include "platform/SystemClock.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QMediaPlayer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <clocale>
#include <cstdio>

namespace {

// Debian's own interpreter when there is one: the service needs nothing beyond the standard library.
QString pythonProgram()
{
    return QFile::exists(QStringLiteral("/usr/bin/python3")) ? QStringLiteral("/usr/bin/python3")
                                                             : QStringLiteral("python3");
}

class AlwaysOnline : public NetState
{
public:
    bool isOnline() const override { return true; }
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 7;

    QProcess service;
    service.start(pythonProgram(), {QStringLiteral(VELTRANE_SOURCE_DIR "/tools/speech_service.py"),
                                    QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--quiet")});
    if (!service.waitForStarted(10000) || !service.waitForReadyRead(10000)) {
        std::fprintf(stderr, "speech service did not start\n");
        return 1;
    }
    const QByteArray line = service.readLine().trimmed();
    const QUrl url(QStringLiteral("http://127.0.0.1:") + QString::fromLatin1(line.mid(line.lastIndexOf(':') + 1)));

    QTemporaryDir dir;
    AlwaysOnline net;
    SystemClock clock;
    HttpGetClient http;
    Mp3PlayerQt player;
    Voice voice(&net, &http, &player, dir.path() + QLatin1Char('/'), url);
    voice.setVoiceLang(QStringLiteral("ru"));
    const QHash<QString, QString> texts{
        {"morning", "Доброе утро!"}, {"Goodday", "Добрый день!"}, {"evening", "Добрый вечер!"},
        {"night", "Доброй ночи!"},   {"tud", "Сегодня"},          {"Day1", "Воскресенье"},
        {"Day2", "Понедельник"},     {"Day3", "Вторник"},         {"Day4", "Среда"},
        {"Day5", "Четверг"},         {"Day6", "Пятница"},         {"Day7", "Суббота"}};
    Greeting greeting(&clock, &voice, [&texts](const QString &key) {
        return texts.value(key);
    });
    greeting.setVoiceLang(QStringLiteral("ru"));

    QList<double> toReturn, toAnswer, toPlaying, toPosition;
    for (int i = 0; i < rounds; ++i) {
        QEventLoop loop;
        QElapsedTimer timer;
        double answerMs = -1, playingMs = -1, positionMs = -1;
        const auto c = QObject::connect(&player, &Mp3PlayerQt::started, &loop, [&] {
            playingMs = timer.nsecsElapsed() / 1e6;
        });
        // The first position report past zero: audio is really flowing through the back end.
        const auto p = QObject::connect(player.mediaPlayer(), &QMediaPlayer::positionChanged, &loop, [&](qint64 pos) {
            if (pos > 0 && positionMs < 0) {
                positionMs = timer.nsecsElapsed() / 1e6;
                loop.quit();
            }
        });
        QTimer::singleShot(20000, &loop, &QEventLoop::quit);
        timer.start();
        // Returns at once; the answer comes once the recording is fetched, stored and handed to the player.
        greeting.sayGreeting(nullptr, [&](const Speech::Result &) {
            answerMs = timer.nsecsElapsed() / 1e6;
        });
        toReturn << timer.nsecsElapsed() / 1e6;
        if (positionMs < 0)
            loop.exec();
        QObject::disconnect(c);
        QObject::disconnect(p);
        if (playingMs < 0 || positionMs < 0) {
            std::fprintf(stderr, "playback did not start\n");
            return 1;
        }
        toAnswer << answerMs;
        toPlaying << playingMs;
        toPosition << positionMs;
        player.close();
    }
    service.terminate();
    service.waitForFinished(5000);

    auto median = [](QList<double> v) {
        std::sort(v.begin(), v.end());
        return v.at(v.size() / 2);
    };
    std::printf("greeting request -> SpeakText returns: median %.3f ms over %d\n", median(toReturn), rounds);
    std::printf("greeting request -> answered (fetched, stored, play started): median %.1f ms over %d\n",
                median(toAnswer), rounds);
    std::printf("greeting request -> player in playing state: median %.1f ms (min %.1f, max %.1f) over %d\n",
                median(toPlaying), *std::min_element(toPlaying.begin(), toPlaying.end()),
                *std::max_element(toPlaying.begin(), toPlaying.end()), rounds);
    std::printf("greeting request -> first playback position report: median %.1f ms (min %.1f, max %.1f) over %d\n",
                median(toPosition), *std::min_element(toPosition.begin(), toPosition.end()),
                *std::max_element(toPosition.begin(), toPosition.end()), rounds);
    return 0;
}
