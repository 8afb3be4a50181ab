// Speaks a sentence under a sound name (the name of its cached recording) without ever making its caller wait.
#pragma once

#include <QString>
#include <functional>

class QObject;

/*
 * The one-second tick, the scheduler and the news alerts all speak, and none of them may stop while a
 * recording downloads. So speakText() only starts the work and returns at once: it never throws, never runs
 * an event loop and never shows anything. What became of the request comes back later through `done`:
 *
 *   speech->speakText(text, "mess-" + voiceLang, true, this, [this](const Speech::Result &result) {
 *       if (result.failed)
 *           report(result.failure);   // the caller decides how a failure is told, once
 *   });
 *
 * Show and act first, then speak: a caller that has a window to show or a program to start does that
 * without waiting for the voice.
 */
class Speech
{
public:
    /// What became of one request.
    struct Result
    {
        /// The recording could not be fetched, stored or played.
        bool failed = false;
        /// The failure's text (it names the file or the HTTP status), empty when nothing failed.
        QString failure;
    };
    using Done = std::function<void(const Result &result)>;

    virtual ~Speech() = default;

    /// Starts speaking text; the recording is cached as soundName + ".mp3" and refetch replaces a cached one.
    /// Returns at once. done (optional) runs exactly once, later, from the event loop (never from inside this
    /// call), unless context is given and destroyed first: then it never runs. It reports success both when
    /// playback started and when there was nothing to speak (offline, voice switched off, a language without
    /// a voice).
    virtual void speakText(const QString &text, const QString &soundName, bool refetch,
                           const QObject *context = nullptr, Done done = {})
        = 0;
};
