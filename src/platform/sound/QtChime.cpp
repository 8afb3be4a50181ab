#include "platform/sound/QtChime.h"

#include <QSoundEffect>

QtChime::QtChime(const QUrl &source, float volume) : m_effect(std::make_unique<QSoundEffect>())
{
    m_effect->setSource(source);
    m_effect->setVolume(volume);
}

QtChime::~QtChime() = default;

void QtChime::play()
{
    m_effect->play();
}
