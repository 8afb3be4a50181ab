// The program's sounds (the voice's MP3 recordings and the tray's chime) come from a module of their own: the
// media framework and the sound server's libraries are loaded only when the first sound is played.
#pragma once

#include "platform/Mp3Player.h"

#include <QObject>
#include <QUrl>
#include <functional>
#include <memory>

/// A short sound played again and again; play() returns at once.
class Chime
{
public:
    virtual ~Chime() = default;
    virtual void play() = 0;
};

/// What the sound module offers.
class SoundFactory
{
public:
    virtual ~SoundFactory() = default;
    virtual std::unique_ptr<Mp3Player> createMp3Player() = 0;
    /// source: a WAV file (a "qrc:" address works); volume 0..1.
    virtual std::unique_ptr<Chime> createChime(const QUrl &source, float volume) = 0;
};

#define VeltraneSoundFactory_iid "org.veltrane.SoundFactory/1"
Q_DECLARE_INTERFACE(SoundFactory, VeltraneSoundFactory_iid)

namespace SoundModule {
/// The module's file name in the program folder.
inline constexpr const char *FileName = "VeltraneSound.so";
/// The module of the program folder, loaded at the first call; nothing when it cannot be loaded (the reason is
/// logged once, and the program goes on without sound).
SoundFactory *factory();
} // namespace SoundModule

/// The player the program uses: it asks the module for the real player at the first play().
class LazyMp3Player : public Mp3Player
{
public:
    /// factory: where the real player comes from (the sound module by default).
    explicit LazyMp3Player(std::function<SoundFactory *()> factory = &SoundModule::factory);
    ~LazyMp3Player() override;

    /// Before the first play() there is nothing to stop or let go of, and nothing is loaded.
    void close() override;
    /// Without the module the file is not played (the log tells why).
    void play(const QString &filePath) override;

    /// Whether the real player has been made.
    bool isLoaded() const { return m_player != nullptr; }

private:
    std::function<SoundFactory *()> m_factory;
    std::unique_ptr<Mp3Player> m_player;
    bool m_failed = false;
};
