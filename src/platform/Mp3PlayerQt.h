// The real MP3 player: Qt Multimedia (QMediaPlayer with a QAudioOutput on the default device).
#pragma once

#include "platform/Mp3Player.h"

#include <QObject>

class QAudioOutput;
class QMediaPlayer;

class Mp3PlayerQt : public QObject, public Mp3Player
{
    Q_OBJECT
public:
    explicit Mp3PlayerQt(QObject *parent = nullptr);
    ~Mp3PlayerQt() override;

    void close() override;
    void play(const QString &filePath) override;

    /// The back end's player, created on first use (loading the media back end costs memory and start-up time).
    QMediaPlayer *mediaPlayer();

signals:
    /// Playback has really begun (the back end reports the playing state).
    void started();
    /// The file played to its end.
    void finished();
    /// The back end could not play the file (reported a few milliseconds after play(), never from it).
    void failed(const QString &text);

private:
    QMediaPlayer *m_player = nullptr;
    QAudioOutput *m_output = nullptr;
};
