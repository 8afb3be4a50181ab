#include "clock/Voice.h"

#include "files/SafeFile.h"
#include "online/HttpGetClient.h"
#include "platform/Failure.h"
#include "platform/Mp3Player.h"
#include "platform/NetState.h"

#include <QFile>

Voice::Voice(NetState *net, HttpGetClient *http, Mp3Player *player, const QString &appDir, const QUrl &serviceUrl,
             QObject *parent)
    : QObject(parent), m_net(net), m_http(http), m_player(player), m_appDir(appDir), m_serviceUrl(serviceUrl)
{}

Voice::~Voice()
{
    // Downloads still on their way end here; their requests are never answered.
    for (const Download &download : std::as_const(m_downloads))
        delete download.exchange;
}

QString Voice::soundFile(const QString &soundName) const
{
    return m_appDir + soundName + QStringLiteral(".mp3");
}

QByteArray Voice::encodeQueryText(const QString &text)
{
    static const char hex[] = "0123456789ABCDEF";
    const QByteArray utf8 = text.toUtf8();
    QByteArray out;
    out.reserve(utf8.size() * 3);
    for (const char ch : utf8) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_') {
            out += char(c);
        } else if (c == ' ') {
            out += '+';
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 0x0F];
        }
    }
    return out;
}

QByteArray Voice::requestTarget(const QString &text) const
{
    QByteArray prefix = m_serviceUrl.path(QUrl::FullyEncoded).toLatin1();
    while (prefix.endsWith('/'))
        prefix.chop(1);
    return prefix + "/translate_tts?ie=UTF-8&tl=" + encodeQueryText(m_voiceLang) + "&q=" + encodeQueryText(text);
}

bool Voice::isMpegAudio(const QByteArray &bytes)
{
    if (bytes.startsWith("ID3"))
        return true;
    if (bytes.size() < 4)
        return false;
    const auto b1 = static_cast<unsigned char>(bytes.at(1));
    const auto b2 = static_cast<unsigned char>(bytes.at(2));
    const bool sync = static_cast<unsigned char>(bytes.at(0)) == 0xFF && (b1 & 0xE0) == 0xE0;
    const bool version = ((b1 >> 3) & 0x03) != 0x01; // 01 is reserved
    const bool layer = ((b1 >> 1) & 0x03) != 0x00;   // 00 is reserved
    const bool bitrate = (b2 >> 4) != 0x0F;          // 1111 is invalid
    const bool rate = ((b2 >> 2) & 0x03) != 0x03;    // 11 is reserved
    return sync && version && layer && bitrate && rate;
}

void Voice::speakText(const QString &text, const QString &soundName, bool refetch, const QObject *context, Done done)
{
    Waiter waiter{QPointer<const QObject>(context), context != nullptr, std::move(done)};
    // Taken up from the event loop, so the caller's slot (a tick, a scan) ends before anything is touched.
    ++m_queued;
    QMetaObject::invokeMethod(
        this,
        [this, text, soundName, refetch, waiter] {
            --m_queued;
            takeUp(text, soundName, refetch, waiter);
        },
        Qt::QueuedConnection);
}

int Voice::pendingCount() const
{
    int count = m_queued;
    for (const Download &download : m_downloads)
        count += int(download.waiters.size());
    return count;
}

void Voice::takeUp(const QString &text, const QString &soundName, bool refetch, const Waiter &waiter)
{
    if (!m_net->isOnline() || m_voiceLang == QLatin1String("uk") || m_voiceLang == QLatin1String("bg") || !m_enabled) {
        answer(waiter, {});
        return;
    }

    const QString file = soundFile(soundName);
    auto pending = m_downloads.find(soundName);
    if (pending != m_downloads.end() && !refetch) {
        // The recording is on its way: this request is answered with it.
        pending->waiters << waiter;
        return;
    }
    if (pending == m_downloads.end() && !refetch && SafeFile::exists(file)) {
        const QString failure = play(file);
        answer(waiter, {!failure.isEmpty(), failure});
        return;
    }

    Download download;
    if (pending != m_downloads.end()) {
        // A newer text for the same recording: the one on its way is dropped, its requests wait for this one.
        download.waiters = pending->waiters;
        delete pending->exchange;
        m_downloads.erase(pending);
    }
    download.waiters << waiter;
    if (SafeFile::exists(file)) {
        // The player may hold the old recording open: let go of it before it is deleted.
        m_player->close();
        QFile::remove(file);
    }
    download.exchange = m_http->start(m_serviceUrl, requestTarget(text), this,
                                      [this, soundName](const QByteArray &body, const QString &failure) {
                                          arrived(soundName, body, failure);
                                      });
    m_downloads.insert(soundName, download);
}

void Voice::arrived(const QString &soundName, const QByteArray &body, const QString &downloadFailure)
{
    const Download download = m_downloads.take(soundName);
    const QString file = soundFile(soundName);
    QString failure = downloadFailure;
    if (failure.isEmpty() && !isMpegAudio(body.left(4))) {
        // Not kept: under a cached name it would fail on every later use instead of being fetched again.
        failure = QStringLiteral("Файл ") + file + QStringLiteral(" не является звукозаписью MP3");
    }
    if (failure.isEmpty()) {
        try {
            SafeFile::write(file, body);
        } catch (const Failure &f) {
            failure = f.text();
        }
    }
    if (failure.isEmpty())
        failure = play(file);
    for (const Waiter &waiter : download.waiters)
        answer(waiter, {!failure.isEmpty(), failure});
}

QString Voice::play(const QString &file)
{
    m_player->close();
    // Only a regular file is opened: a FIFO or a folder under a recording's name is refused, not waited on.
    QByteArray head;
    if (SafeFile::isRegularFile(file)) {
        QFile in(file);
        if (in.open(QIODevice::ReadOnly))
            head = in.read(4);
    }
    if (!isMpegAudio(head)) {
        if (SafeFile::isRegularFile(file))
            QFile::remove(file);
        return QStringLiteral("Файл ") + file + QStringLiteral(" не является звукозаписью MP3");
    }
    m_player->play(file);
    return {};
}

void Voice::answer(const Waiter &waiter, const Result &result)
{
    if (!waiter.done || (waiter.hasContext && !waiter.context))
        return;
    try {
        waiter.done(result);
    } catch (const std::exception &e) {
        // A caller's own failure must not reach the socket or the event loop that delivered the answer.
        qWarning("Veltrane: a speech request's handler failed: %s", e.what());
    }
}
