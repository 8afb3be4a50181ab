#include "platform/Mp3PlayerQt.h"

#include <QAudioOutput>
#include <QMediaPlayer>
#include <QUrl>

Mp3PlayerQt::Mp3PlayerQt(QObject *parent) : QObject(parent) {}

QMediaPlayer *Mp3PlayerQt::mediaPlayer()
{
    if (m_player)
        return m_player;
    m_player = new QMediaPlayer(this);
    m_output = new QAudioOutput(this);
    m_player->setAudioOutput(m_output);
    connect(m_player, &QMediaPlayer::playbackStateChanged, this, [this](QMediaPlayer::PlaybackState state) {
        if (state == QMediaPlayer::PlayingState)
            emit started();
    });
    connect(m_player, &QMediaPlayer::mediaStatusChanged, this, [this](QMediaPlayer::MediaStatus status) {
        if (status == QMediaPlayer::EndOfMedia)
            emit finished();
    });
    connect(m_player, &QMediaPlayer::errorOccurred, this, [this](QMediaPlayer::Error, const QString &text) {
        emit failed(text);
    });
    return m_player;
}

Mp3PlayerQt::~Mp3PlayerQt()
{
    if (m_player)
        m_player->stop();
}

void Mp3PlayerQt::close()
{
    if (!m_player)
        return;
    m_player->stop();
    // An empty source makes the back end let go of the file.
    m_player->setSource(QUrl());
}

void Mp3PlayerQt::play(const QString &filePath)
{
    QMediaPlayer *player = mediaPlayer();
    player->setSource(QUrl::fromLocalFile(filePath));
    player->play();
}
