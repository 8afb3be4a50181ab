// The sound module's entry: the real MP3 player and chime, on Qt Multimedia.
#include "platform/Mp3PlayerQt.h"
#include "platform/Sound.h"
#include "platform/sound/QtChime.h"

class SoundPlugin : public QObject, public SoundFactory
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID VeltraneSoundFactory_iid)
    Q_INTERFACES(SoundFactory)
public:
    std::unique_ptr<Mp3Player> createMp3Player() override { return std::make_unique<Mp3PlayerQt>(); }
    std::unique_ptr<Chime> createChime(const QUrl &source, float volume) override
    {
        return std::make_unique<QtChime>(source, volume);
    }
};

#include "SoundPlugin.moc"
