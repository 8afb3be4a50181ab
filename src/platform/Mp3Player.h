// Plays one MP3 file at a time without waiting for its end; the voice talks to it, tests fake it.
#pragma once

#include <QString>

class Mp3Player
{
public:
    virtual ~Mp3Player() = default;
    /// Stops any playback and releases the file it holds, so the file may be replaced or deleted.
    virtual void close() = 0;
    /// Opens filePath and starts playing it; returns as soon as playback has been started.
    virtual void play(const QString &filePath) = 0;
};
