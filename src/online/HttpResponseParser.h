// Reads one HTTP response from bytes as they arrive, with bounds on what a server can make it hold.
#pragma once

#include "online/HttpExchange.h"

#include <QByteArray>
#include <QString>

class HttpResponseParser
{
public:
    /// The status line and headers together (interim "1xx" answers and trailers included) may not pass this.
    static constexpr qsizetype MaxHeaderBytes = qsizetype(64) * 1024;
    /// A body larger than this is refused: nothing the program asks for comes near it, and a server that
    /// streams without end must not fill the memory before the time-out comes.
    static constexpr qint64 MaxBodyBytes = qint64(64) * 1024 * 1024;

    /// bodyless: the answer to a HEAD request (headers only, whatever Content-Length says).
    explicit HttpResponseParser(bool bodyless = false) : m_bodyless(bodyless) {}

    bool done() const { return m_state == State::Done; }
    bool bad() const { return m_state == State::Bad; }
    QString error() const { return m_error; }
    HttpResponse take() { return std::move(m_response); }

    /// The next bytes from the server, in any split.
    void feed(const QByteArray &data);
    /// The server closed the connection: that ends a body without framing, and breaks anything else.
    void closed();

private:
    enum class State { StatusLine, Headers, Length, UntilClose, ChunkSize, ChunkData, Trailer, Done, Bad };

    void fail(const QString &text);
    bool takeLine(QByteArray &line);
    bool takeHeaderLine(QByteArray &line);
    void parse();
    bool readStatusLine(const QByteArray &line);
    void startBody();

    bool m_bodyless;
    State m_state = State::StatusLine;
    QByteArray m_buf;
    qint64 m_remaining = 0;
    qsizetype m_headerBytes = 0;
    HttpResponse m_response;
    QString m_error;
};
