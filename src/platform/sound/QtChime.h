// The tray's chime on Qt Multimedia's sound effect.
#pragma once

#include "platform/Sound.h"

class QSoundEffect;

class QtChime : public Chime
{
public:
    QtChime(const QUrl &source, float volume);
    ~QtChime() override;
    void play() override;

private:
    std::unique_ptr<QSoundEffect> m_effect;
};
