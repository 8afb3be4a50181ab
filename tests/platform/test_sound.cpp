// The sound module: loaded only when the first sound plays, once, and the program goes on without it.
#include "platform/Sound.h"

#include <QPluginLoader>
#include <QTest>

namespace {

struct Log
{
    QStringList calls;
    int made = 0;
};

class RecordingPlayer : public Mp3Player
{
public:
    explicit RecordingPlayer(Log &log) : m_log(log) {}
    void close() override { m_log.calls << QStringLiteral("close"); }
    void play(const QString &filePath) override { m_log.calls << QStringLiteral("play ") + filePath; }

private:
    Log &m_log;
};

class FakeSounds : public SoundFactory
{
public:
    explicit FakeSounds(Log &log) : m_log(log) {}
    std::unique_ptr<Mp3Player> createMp3Player() override
    {
        ++m_log.made;
        return std::make_unique<RecordingPlayer>(m_log);
    }
    std::unique_ptr<Chime> createChime(const QUrl &, float) override { return nullptr; }

private:
    Log &m_log;
};

} // namespace

class TestSound : public QObject
{
    Q_OBJECT
private slots:
    void thePlayerIsMadeAtTheFirstPlayOnly()
    {
        Log log;
        FakeSounds sounds(log);
        int asked = 0;
        LazyMp3Player player([&] {
            ++asked;
            return &sounds;
        });
        player.close(); // the voice closes before it replaces a recording: nothing to load for that
        QCOMPARE(asked, 0);
        QVERIFY(!player.isLoaded());
        player.play(QStringLiteral("/a.mp3"));
        player.close();
        player.play(QStringLiteral("/b.mp3"));
        QCOMPARE(asked, 1);
        QCOMPARE(log.made, 1);
        QCOMPARE(log.calls,
                 (QStringList{QStringLiteral("play /a.mp3"), QStringLiteral("close"), QStringLiteral("play /b.mp3")}));
    }

    void withoutTheModuleNothingPlaysAndItIsNotLookedForAgain()
    {
        int asked = 0;
        LazyMp3Player player([&]() -> SoundFactory * {
            ++asked;
            return nullptr;
        });
        player.play(QStringLiteral("/a.mp3"));
        player.play(QStringLiteral("/a.mp3"));
        player.close();
        QCOMPARE(asked, 1);
        QVERIFY(!player.isLoaded());
    }

    void theBuiltModuleOffersAPlayerAndAChime()
    {
        QPluginLoader loader(QStringLiteral(SOUND_MODULE));
        auto *sounds = qobject_cast<SoundFactory *>(loader.instance());
        QVERIFY2(sounds, qPrintable(loader.errorString()));
        QVERIFY(sounds->createMp3Player());
        QVERIFY(sounds->createChime(QUrl(QStringLiteral("qrc:/none.wav")), 0.5f));
    }
};

QTEST_MAIN(TestSound)
#include "test_sound.moc"
