// `SpeakText`: has the speech service turn a sentence into an MP3 recording, caches it in the program folder
// under its sound name and plays it. The real `Speech` of the program.
#pragma once

#include "platform/Speech.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

class HttpExchange;
class HttpGetClient;
class Mp3Player;
class NetState;

/*
 * Nothing here waits. A request is taken up from the event loop after speakText() returned: a cached
 * recording plays at once, anything else is downloaded in the background and played when it has arrived.
 * A request for a recording that is already on its way waits for that download (a refetch starts it anew,
 * since its text may have changed); each request's `done` runs once with what became of it.
 */
class Voice : public QObject, public Speech
{
    Q_OBJECT
public:
    /// Where the local speech service (tools/speech_service.py) listens unless `[Services] SpeechUrl` says else.
    static constexpr const char *DefaultServiceUrl = "http://127.0.0.1:5125";

    /// serviceUrl: scheme, host and port of the speech service (`[Services] SpeechUrl`).
    Voice(NetState *net, HttpGetClient *http, Mp3Player *player, const QString &appDir, const QUrl &serviceUrl,
          QObject *parent = nullptr);
    ~Voice() override;

    /// `VoiceLang`: the two-letter speech language ("ru", "en", ..., or empty).
    void setVoiceLang(const QString &code) { m_voiceLang = code; }
    /// The speech service's address (`[Services] SpeechUrl`), known once the settings file is read.
    void setServiceUrl(const QUrl &serviceUrl) { m_serviceUrl = serviceUrl; }
    QString voiceLang() const { return m_voiceLang; }
    /// The voice item `N36` "Голосовое оповещение".
    void setEnabled(bool enabled) { m_enabled = enabled; }
    bool isEnabled() const { return m_enabled; }

    /// Offline, Ukrainian or Bulgarian speech, or the voice switched off: nothing at all, not even a cached
    /// recording. Otherwise fetches the recording when it is not cached or refetch is set (closing the player
    /// and deleting the old file first), then plays the file. Fails (through done) when the download fails (no
    /// file is left then) or the answer is not MPEG audio (it is not kept, so the next request fetches it
    /// again). Returns at once; see Speech.
    void speakText(const QString &text, const QString &soundName, bool refetch, const QObject *context = nullptr,
                   Done done = {}) override;

    /// Requests taken up and not yet answered.
    int pendingCount() const;

    /// AppDir + soundName + ".mp3".
    QString soundFile(const QString &soundName) const;
    /// The path and query asked of the service for text.
    QByteArray requestTarget(const QString &text) const;

    /// `EncodeQueryText` over the UTF-8 bytes: "0-9", "A-Z", "a-z" and "_" kept, space as "+", every other
    /// byte as "%" and two upper-case hex digits.
    static QByteArray encodeQueryText(const QString &text);
    /// Whether bytes start like an MP3 recording: an ID3v2 tag or a valid MPEG audio frame header.
    static bool isMpegAudio(const QByteArray &bytes);

private:
    struct Waiter
    {
        QPointer<const QObject> context;
        bool hasContext = false;
        Done done;
    };
    struct Download
    {
        QPointer<HttpExchange> exchange;
        QList<Waiter> waiters;
    };

    void takeUp(const QString &text, const QString &soundName, bool refetch, const Waiter &waiter);
    void arrived(const QString &soundName, const QByteArray &body, const QString &failure);
    /// Plays a stored recording; the failure's text, or empty.
    QString play(const QString &file);
    static void answer(const Waiter &waiter, const Result &result);

    NetState *m_net;
    HttpGetClient *m_http;
    Mp3Player *m_player;
    QString m_appDir;
    QUrl m_serviceUrl;
    QString m_voiceLang;
    bool m_enabled = true;
    int m_queued = 0;
    QHash<QString, Download> m_downloads;
};
