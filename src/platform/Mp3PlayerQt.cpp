#include "platform/Mp3PlayerQt.h"

#include <QAudioOutput>
#include <QMediaPlayer>
#include <QUrl>

Mp3PlayerQt::Mp3PlayerQt(QObject *parent)
    : QObject(parent), m_player(new QMediaPlayer(this)), m_output(new QAudioOutput(this))
{
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
}

Mp3PlayerQt::~Mp3PlayerQt()
{
    m_player->stop();
}

void Mp3PlayerQt::close()
{
    m_player->stop();
    // An empty source makes the back end let go of the file.
    m_player->setSource(QUrl());
}

void Mp3PlayerQt::play(const QString &filePath)
{
    m_player->setSource(QUrl::fromLocalFile(filePath));
    m_player->play();
}
