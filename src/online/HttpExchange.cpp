#include "online/HttpExchange.h"

#include "platform/Failure.h"

#include <QEventLoop>
#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QTcpSocket>
#include <QTimer>

QByteArray HttpResponse::header(const QByteArray &name) const
{
    for (const auto &h : headers)
        if (h.first.compare(name, Qt::CaseInsensitive) == 0)
            return h.second;
    return {};
}

QList<QByteArray> HttpResponse::headerValues(const QByteArray &name) const
{
    QList<QByteArray> values;
    for (const auto &h : headers)
        if (h.first.compare(name, Qt::CaseInsensitive) == 0)
            values << h.second;
    return values;
}

QString HttpResponse::statusLine() const
{
    return QString::fromLatin1(version + ' ' + QByteArray::number(status) + ' ' + reason);
}

namespace {

// A response larger than this is refused: nothing the program asks for comes near it, and a server that
// streams without end must not fill the memory before the time-out comes.
constexpr qint64 MaxBodyBytes = qint64(64) * 1024 * 1024;

// Reads a response from bytes as they arrive.
class ResponseParser
{
public:
    explicit ResponseParser(bool bodyless) : m_bodyless(bodyless) {}

    bool done() const { return m_state == State::Done; }
    bool bad() const { return m_state == State::Bad; }
    QString error() const { return m_error; }
    HttpResponse take() { return std::move(m_response); }

    void feed(const QByteArray &data)
    {
        m_buf += data;
        parse();
    }

    /// The server closed the connection: that ends a body without framing, and breaks anything else.
    void closed()
    {
        if (m_state == State::UntilClose) {
            m_response.body += m_buf;
            m_buf.clear();
            m_state = State::Done;
        } else if (m_state != State::Done && m_state != State::Bad) {
            fail(QStringLiteral("Connection closed gracefully."));
        }
    }

private:
    enum class State { StatusLine, Headers, Length, UntilClose, ChunkSize, ChunkData, Trailer, Done, Bad };

    void fail(const QString &text)
    {
        m_state = State::Bad;
        m_error = text;
    }

    bool takeLine(QByteArray &line)
    {
        const qsizetype nl = m_buf.indexOf('\n');
        if (nl < 0) {
            if (m_buf.size() > qsizetype(64) * 1024)
                fail(QStringLiteral("Response line too long."));
            return false;
        }
        line = m_buf.left(nl);
        if (line.endsWith('\r'))
            line.chop(1);
        m_buf.remove(0, nl + 1);
        return true;
    }

    void parse()
    {
        QByteArray line;
        for (;;) {
            switch (m_state) {
            case State::StatusLine:
                if (!takeLine(line))
                    return;
                if (!readStatusLine(line))
                    return;
                m_state = State::Headers;
                break;
            case State::Headers:
                if (!takeLine(line))
                    return;
                if (line.isEmpty()) {
                    startBody();
                } else {
                    const qsizetype colon = line.indexOf(':');
                    if (colon <= 0) {
                        fail(QStringLiteral("Invalid response header: ") + QString::fromLatin1(line));
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
                if (!ok || size < 0 || m_response.body.size() + size > MaxBodyBytes) {
                    fail(QStringLiteral("Invalid chunk size: ") + QString::fromLatin1(line));
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
                if (!takeLine(line))
                    return;
                if (line.isEmpty())
                    m_state = State::Done;
                break;
            case State::Done:
            case State::Bad: return;
            }
        }
    }

    bool readStatusLine(const QByteArray &line)
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

    void startBody()
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
                fail(QStringLiteral("Invalid Content-Length: ") + QString::fromLatin1(length));
                return;
            }
            m_state = State::Length;
            return;
        }
        m_state = State::UntilClose;
    }

    bool m_bodyless;
    State m_state = State::StatusLine;
    QByteArray m_buf;
    qint64 m_remaining = 0;
    HttpResponse m_response;
    QString m_error;
};

} // namespace

class HttpExchange::Parser : public ResponseParser
{
public:
    using ResponseParser::ResponseParser;
};

HttpExchange::HttpExchange(const QString &host, quint16 port, const QByteArray &request, const HttpTimeouts &timeouts,
                           bool bodyless, QObject *parent)
    : QObject(parent),
      m_host(host),
      m_port(port),
      m_request(request),
      m_timeouts(timeouts),
      m_parser(std::make_unique<Parser>(bodyless))
{}

HttpExchange::HttpExchange(const QString &failure, QObject *parent)
    : QObject(parent), m_parser(std::make_unique<Parser>(false)), m_failure(failure)
{}

HttpExchange::~HttpExchange()
{
    if (m_socket) {
        // Quietly: nothing may reach the handlers of an exchange that is going away.
        m_socket->disconnect(this);
        m_socket->abort();
    }
}

void HttpExchange::start()
{
    if (m_socket || m_finished)
        return;
    if (!m_failure.isEmpty()) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                finish(m_failure);
            },
            Qt::QueuedConnection);
        return;
    }
    m_socket = new QTcpSocket(this);
    m_connectTimer = new QTimer(this);
    m_totalTimer = new QTimer(this);
    m_connectTimer->setSingleShot(true);
    m_totalTimer->setSingleShot(true);
    connect(m_connectTimer, &QTimer::timeout, this, [this] {
        finish(QStringLiteral("Connect timed out."));
    });
    connect(m_totalTimer, &QTimer::timeout, this, [this] {
        finish(QStringLiteral("Read timed out."));
    });
    connect(m_socket, &QTcpSocket::connected, this, [this] {
        m_connectTimer->stop();
        m_socket->write(m_request);
    });
    connect(m_socket, &QTcpSocket::readyRead, this, &HttpExchange::readAvailable);
    connect(m_socket, &QTcpSocket::disconnected, this, &HttpExchange::closed);
    connect(m_socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        if (error == QAbstractSocket::RemoteHostClosedError)
            closed();
        else
            finish(m_socket->errorString());
    });

    m_connectTimer->start(m_timeouts.connectMs);
    m_totalTimer->start(m_timeouts.totalMs);
    // A failure the socket reports inside connectToHost() (a refused loopback port) is told after it returns.
    m_starting = true;
    m_socket->connectToHost(m_host, m_port);
    m_starting = false;
    if (m_finished)
        QMetaObject::invokeMethod(this, &HttpExchange::finished, Qt::QueuedConnection);
}

HttpResponse HttpExchange::takeResponse()
{
    return m_parser->take();
}

void HttpExchange::readAvailable()
{
    if (m_finished)
        return;
    m_parser->feed(m_socket->readAll());
    if (m_parser->bad())
        finish(m_parser->error());
    else if (m_parser->done())
        finish({});
}

void HttpExchange::closed()
{
    if (m_finished)
        return;
    m_parser->feed(m_socket->readAll());
    m_parser->closed();
    finish(m_parser->bad() ? m_parser->error() : QString());
}

void HttpExchange::finish(const QString &failure)
{
    if (m_finished)
        return;
    m_finished = true;
    m_failure = failure;
    if (m_connectTimer)
        m_connectTimer->stop();
    if (m_totalTimer)
        m_totalTimer->stop();
    if (m_socket && !failure.isEmpty()) {
        m_socket->disconnect(this);
        m_socket->abort();
    }
    if (!m_starting)
        emit finished();
}

HttpResponse HttpExchange::run(const QString &host, quint16 port, const QByteArray &request,
                               const HttpTimeouts &timeouts, bool bodyless)
{
    HttpExchange exchange(host, port, request, timeouts, bodyless);
    QEventLoop loop;
    connect(&exchange, &HttpExchange::finished, &loop, &QEventLoop::quit);
    exchange.start();
    loop.exec();
    if (!exchange.isFinished()) {
        // The event loop was told to end from outside (the program is ending).
        throw Failure(QStringLiteral("Request cancelled."));
    }
    if (!exchange.failure().isEmpty())
        throw Failure(exchange.failure());
    return exchange.takeResponse();
}

QUrl HttpExchange::requestUrl(const QUrl &server, const QByteArray &target)
{
    QUrl url = server;
    const QUrl relative = QUrl::fromEncoded(target.startsWith('/') ? target : '/' + target);
    url.setPath(relative.path());
    url.setQuery(relative.query(QUrl::FullyEncoded), QUrl::StrictMode);
    return url;
}

QByteArray HttpExchange::hostHeader(const QUrl &url)
{
    QByteArray host = url.host(QUrl::FullyEncoded).toLatin1();
    if (host.contains(':'))
        host = '[' + host + ']';
    const int port = url.port(80);
    return port == 80 ? host : host + ':' + QByteArray::number(port);
}

QByteArray HttpExchange::cookieHeader(const QNetworkCookieJar &jar, const QUrl &url)
{
    QList<QByteArray> pairs;
    for (const QNetworkCookie &cookie : jar.cookiesForUrl(url))
        pairs << cookie.toRawForm(QNetworkCookie::NameAndValueOnly);
    return pairs.join("; ");
}

void HttpExchange::storeCookies(QNetworkCookieJar &jar, const HttpResponse &response, const QUrl &url)
{
    QList<QNetworkCookie> cookies;
    for (const QByteArray &value : response.headerValues("Set-Cookie"))
        cookies += QNetworkCookie::parseCookies(value);
    if (!cookies.isEmpty())
        jar.setCookiesFromUrl(cookies, url);
}
