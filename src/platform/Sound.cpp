#include "platform/Sound.h"

#include <QCoreApplication>
#include <QDebug>
#include <QPluginLoader>

SoundFactory *SoundModule::factory()
{
    static SoundFactory *loaded = nullptr;
    static bool tried = false;
    if (!tried) {
        tried = true;
        QPluginLoader loader(QCoreApplication::applicationDirPath() + QLatin1Char('/') + QLatin1String(FileName));
        // The module stays loaded to the end of the program: its players may live that long.
        loaded = qobject_cast<SoundFactory *>(loader.instance());
        if (!loaded)
            qWarning().noquote() << "Veltrane: no sound:" << loader.errorString();
    }
    return loaded;
}

LazyMp3Player::LazyMp3Player(std::function<SoundFactory *()> factory) : m_factory(std::move(factory)) {}

LazyMp3Player::~LazyMp3Player() = default;

void LazyMp3Player::close()
{
    if (m_player)
        m_player->close();
}

void LazyMp3Player::play(const QString &filePath)
{
    if (!m_player && !m_failed) {
        SoundFactory *factory = m_factory ? m_factory() : nullptr;
        if (factory)
            m_player = factory->createMp3Player();
        m_failed = !m_player;
    }
    if (m_player)
        m_player->play(filePath);
}
