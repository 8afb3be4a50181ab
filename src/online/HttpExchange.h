// One HTTP request written byte for byte on a fresh TCP connection, and its whole response.
#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QUrl>
#include <memory>

class NetConnection;
class QTimer;

/// Bounds of one exchange. A server that accepts and then stays silent ends in a time-out, never a hang.
struct HttpTimeouts
{
    /// Host lookup and TCP connect.
    int connectMs = 10000;
    /// From the start of the call to the last byte of the response.
    int totalMs = 30000;
};

struct HttpResponse
{
    QByteArray version;
    int status = 0;
    QByteArray reason;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;

    /// The first header of that name (case-insensitive), or an empty array.
    QByteArray header(const QByteArray &name) const;
    QList<QByteArray> headerValues(const QByteArray &name) const;
    /// "HTTP/1.1 404 Not Found": the text a failed request reports.
    QString statusLine() const;
};

/*
 * One exchange, two ways to wait for it:
 *   - asynchronously: construct an HttpExchange, connect finished(), call start(); the caller's slot returns at
 *     once and the answer comes later from the event loop (the voice's downloads, which must never hold up the
 *     one-second tick or the scheduler);
 *   - in a nested event loop: HttpExchange::run(), for callers that need the answer before they go on.
 */
class HttpExchange : public QObject
{
    Q_OBJECT
public:
    /// An exchange with host:port that writes request as given once connected. Nothing happens before start().
    HttpExchange(const QString &host, quint16 port, const QByteArray &request, const HttpTimeouts &timeouts,
                 bool bodyless = false, QObject *parent = nullptr);
    /// An exchange that fails with failure at start() without touching the network (an address not served).
    HttpExchange(const QString &failure, QObject *parent = nullptr);
    /// Aborts a connection still open; finished() is not emitted then.
    ~HttpExchange() override;

    /// Connects and returns at once. finished() follows exactly once, always from the event loop (never from
    /// inside start()), after the whole response, a failure or a time-out.
    void start();
    bool isFinished() const { return m_finished; }
    /// After finished(): the failure's text (network failure, time-out, a response that cannot be read), or
    /// empty when the whole response was read.
    QString failure() const { return m_failure; }
    /// After finished() without failure: the response.
    HttpResponse takeResponse();

    /// Connects to host:port, writes request as given and reads the response to its end (Content-Length,
    /// chunked, or until the server closes). Waits in a nested event loop; every call owns its socket, buffer
    /// and loop, so calls that nest inside each other's waits do not disturb each other.
    /// Throws Failure on a network failure, a time-out or a response line that cannot be read.
    static HttpResponse run(const QString &host, quint16 port, const QByteArray &request, const HttpTimeouts &timeouts,
                            bool bodyless = false);

    /// The address a target (path and query) on server stands for; used for cookie matching and the Host.
    static QUrl requestUrl(const QUrl &server, const QByteArray &target);
    /// Host header value: the host, and ":port" when the port is not 80.
    static QByteArray hostHeader(const QUrl &url);

signals:
    void finished();

private:
    class Parser;

    void finish(const QString &failure);
    void readAvailable();
    void closed();

    QString m_host;
    quint16 m_port = 0;
    QByteArray m_request;
    HttpTimeouts m_timeouts;
    std::unique_ptr<Parser> m_parser;
    std::unique_ptr<NetConnection> m_connection;
    QTimer *m_connectTimer = nullptr;
    QTimer *m_totalTimer = nullptr;
    bool m_starting = false;
    bool m_finished = false;
    QString m_failure;
};
