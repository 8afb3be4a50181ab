#include "online/HttpResponseParser.h"

#include <QList>

namespace {

// A chunk-size line is a number and perhaps extensions: nothing sound comes near this.
constexpr qsizetype MaxLineBytes = qsizetype(64) * 1024;

} // namespace

void HttpResponseParser::feed(const QByteArray &data)
{
    if (m_state == State::Done || m_state == State::Bad)
        return;
    m_buf += data;
    parse();
}

void HttpResponseParser::closed()
{
    if (m_state == State::UntilClose) {
        m_response.body += m_buf;
        m_buf.clear();
        if (m_response.body.size() > MaxBodyBytes)
            fail(QStringLiteral("Response too large."));
        else
            m_state = State::Done;
    } else if (m_state != State::Done && m_state != State::Bad) {
        fail(QStringLiteral("Connection closed gracefully."));
    }
}

void HttpResponseParser::fail(const QString &text)
{
    m_state = State::Bad;
    m_error = text;
    m_buf.clear();
}

bool HttpResponseParser::takeLine(QByteArray &line)
{
    const qsizetype nl = m_buf.indexOf('\n');
    if (nl < 0) {
        if (m_buf.size() > MaxLineBytes)
            fail(QStringLiteral("Response line too long."));
        return false;
    }
    line = m_buf.left(nl);
    if (line.endsWith('\r'))
        line.chop(1);
    m_buf.remove(0, nl + 1);
    return true;
}

// A line of the status line, the headers or the trailer: all of them count toward one bound, so a server that
// sends headers (or interim answers) without end is cut off as soon as it passes it, not at the time-out.
bool HttpResponseParser::takeHeaderLine(QByteArray &line)
{
    const qsizetype nl = m_buf.indexOf('\n');
    const qsizetype lineBytes = nl < 0 ? m_buf.size() : nl + 1;
    if (m_headerBytes + lineBytes > MaxHeaderBytes) {
        fail(QStringLiteral("Response headers too large."));
        return false;
    }
    if (nl < 0)
        return false;
    m_headerBytes += lineBytes;
    return takeLine(line);
}

void HttpResponseParser::parse()
{
    QByteArray line;
    for (;;) {
        switch (m_state) {
        case State::StatusLine:
            if (!takeHeaderLine(line))
                return;
            if (!readStatusLine(line))
                return;
            m_state = State::Headers;
            break;
        case State::Headers:
            if (!takeHeaderLine(line))
                return;
            if (line.isEmpty()) {
                startBody();
            } else {
                const qsizetype colon = line.indexOf(':');
                if (colon <= 0) {
                    fail(QStringLiteral("Invalid response header: ") + QString::fromLatin1(line.left(200)));
                    return;
                }
                m_response.headers.append({line.left(colon).trimmed(), line.mid(colon + 1).trimmed()});
            }
            break;
        case State::Length: {
            const qint64 take = qMin<qint64>(m_remaining, m_buf.size());
            m_response.body += m_buf.left(take);
            m_buf.remove(0, take);
            m_remaining -= take;
            if (m_remaining > 0)
                return;
            m_state = State::Done;
            break;
        }
        case State::UntilClose:
            m_response.body += m_buf;
            m_buf.clear();
            if (m_response.body.size() > MaxBodyBytes)
                fail(QStringLiteral("Response too large."));
            return;
        case State::ChunkSize: {
            if (!takeLine(line))
                return;
            const qsizetype semi = line.indexOf(';');
            bool ok = false;
            const qint64 size = (semi < 0 ? line : line.left(semi)).trimmed().toLongLong(&ok, 16);
            // Compared by subtraction: a size near the top of the range must not wrap the sum around.
            if (!ok || size < 0 || size > MaxBodyBytes - m_response.body.size()) {
                fail(QStringLiteral("Invalid chunk size: ") + QString::fromLatin1(line.left(200)));
                return;
            }
            m_remaining = size;
            m_state = size == 0 ? State::Trailer : State::ChunkData;
            break;
        }
        case State::ChunkData:
            // The chunk's bytes and the line end after them.
            if (m_buf.size() < m_remaining + 2) {
                if (m_buf.size() >= m_remaining + 1 && m_buf.at(m_remaining) == '\n') {
                    m_response.body += m_buf.left(m_remaining);
                    m_buf.remove(0, m_remaining + 1);
                    m_state = State::ChunkSize;
                    break;
                }
                return;
            }
            m_response.body += m_buf.left(m_remaining);
            m_buf.remove(0, m_remaining + (m_buf.at(m_remaining) == '\r' ? 2 : 1));
            m_state = State::ChunkSize;
            break;
        case State::Trailer:
            if (!takeHeaderLine(line))
                return;
            if (line.isEmpty())
                m_state = State::Done;
            break;
        case State::Done:
        case State::Bad: return;
        }
    }
}

bool HttpResponseParser::readStatusLine(const QByteArray &line)
{
    // HTTP/1.1 200 OK
    const QList<QByteArray> parts = line.split(' ');
    bool ok = false;
    const int status = parts.size() >= 2 ? parts.at(1).toInt(&ok) : 0;
    if (!line.startsWith("HTTP/") || !ok || parts.at(1).size() != 3) {
        fail(QStringLiteral("Invalid HTTP response line: ") + QString::fromLatin1(line.left(200)));
        return false;
    }
    m_response = HttpResponse();
    m_response.version = parts.at(0);
    m_response.status = status;
    const qsizetype reasonAt = parts.at(0).size() + 1 + parts.at(1).size() + 1;
    m_response.reason = reasonAt < line.size() ? line.mid(reasonAt) : QByteArray();
    return true;
}

void HttpResponseParser::startBody()
{
    const int status = m_response.status;
    if (status >= 100 && status < 200) {
        // An interim answer ("100 Continue"): the real one follows.
        m_state = State::StatusLine;
        return;
    }
    if (m_bodyless || status == 204 || status == 304) {
        m_state = State::Done;
        return;
    }
    if (m_response.header("Transfer-Encoding").toLower().contains("chunked")) {
        m_state = State::ChunkSize;
        return;
    }
    const QByteArray length = m_response.header("Content-Length");
    if (!length.isEmpty()) {
        bool ok = false;
        m_remaining = length.toLongLong(&ok);
        if (!ok || m_remaining < 0 || m_remaining > MaxBodyBytes) {
            fail(QStringLiteral("Invalid Content-Length: ") + QString::fromLatin1(length.left(200)));
            return;
        }
        m_state = State::Length;
        return;
    }
    m_state = State::UntilClose;
}
