// Speaks a sentence under a sound name (the name of its cached recording).
#pragma once

#include <QString>

class Speech
{
public:
    virtual ~Speech() = default;
    /// Speaks text, caching the recording as soundName + ".mp3"; refetch replaces a cached one.
    /// Throws Failure when the recording cannot be fetched or played.
    virtual void speakText(const QString &text, const QString &soundName, bool refetch) = 0;
};
