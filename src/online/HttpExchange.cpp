#include "online/HttpExchange.h"

#include "online/HttpResponseParser.h"

#include "platform/Failure.h"
#include "platform/Net.h"

#include <QEventLoop>
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

class HttpExchange::Parser : public HttpResponseParser
{
public:
    using HttpResponseParser::HttpResponseParser;
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

// Dropping the connection is quiet: nothing reaches the handlers of an exchange that is going away.
HttpExchange::~HttpExchange() = default;

void HttpExchange::start()
{
    if (m_connection || m_finished || m_connectTimer)
        return;
    NetFactory *net = m_failure.isEmpty() ? NetModule::factory() : nullptr;
    if (m_failure.isEmpty() && !net)
        m_failure = QString::fromLatin1(NetModule::Missing);
    if (!m_failure.isEmpty()) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                finish(m_failure);
            },
            Qt::QueuedConnection);
        return;
    }
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
    NetConnection::Hooks hooks;
    hooks.connected = [this] {
        m_connectTimer->stop();
        m_connection->write(m_request);
    };
    hooks.readyRead = [this] {
        readAvailable();
    };
    hooks.ended = [this](NetConnection::End how, const QString &text) {
        if (how == NetConnection::End::Closed)
            closed();
        else
            finish(text);
    };
    m_connection = net->createConnection(std::move(hooks));

    m_connectTimer->start(m_timeouts.connectMs);
    m_totalTimer->start(m_timeouts.totalMs);
    // A failure the socket reports inside connectToHost() (a refused loopback port) is told after it returns.
    m_starting = true;
    m_connection->connectToHost(m_host, m_port);
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
    m_parser->feed(m_connection->readAll());
    if (m_parser->bad())
        finish(m_parser->error());
    else if (m_parser->done())
        finish({});
}

void HttpExchange::closed()
{
    if (m_finished)
        return;
    m_parser->feed(m_connection->readAll());
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
    // Quietly, and safely from inside the connection's own hook.
    if (!failure.isEmpty())
        m_connection.reset();
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
