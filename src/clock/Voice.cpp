#include "clock/Voice.h"

#include "files/SafeFile.h"
#include "online/HttpGetClient.h"
#include "platform/Failure.h"
#include "platform/Mp3Player.h"
#include "platform/NetState.h"

#include <QFile>

Voice::Voice(NetState *net, HttpGetClient *http, Mp3Player *player, const QString &appDir, const QUrl &serviceUrl)
    : m_net(net), m_http(http), m_player(player), m_appDir(appDir), m_serviceUrl(serviceUrl)
{}

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

void Voice::speakText(const QString &text, const QString &soundName, bool refetch)
{
    if (!m_net->isOnline() || m_voiceLang == QLatin1String("uk") || m_voiceLang == QLatin1String("bg") || !m_enabled)
        return;

    const QString file = soundFile(soundName);
    if (!QFile::exists(file) || refetch) {
        if (QFile::exists(file)) {
            // The player may hold the old recording open: let go of it before it is deleted.
            m_player->close();
            QFile::remove(file);
        }
        // Raises on an error status or a network failure; nothing is written then.
        const QByteArray body = m_http->get(m_serviceUrl, requestTarget(text));
        SafeFile::write(file, body);
    }

    if (!QFile::exists(file))
        return;
    m_player->close();
    QFile in(file);
    const QByteArray head = in.open(QIODevice::ReadOnly) ? in.read(4) : QByteArray();
    in.close();
    if (!isMpegAudio(head)) {
        // Kept, it would fail again on every use of a cached name; removed, the next call fetches it anew.
        QFile::remove(file);
        throw Failure(QStringLiteral("Файл ") + file + QStringLiteral(" не является звукозаписью MP3"));
    }
    m_player->play(file);
}
