// The voice's HTTP client (`IdHTTP1`): GET requests with a fixed header set, cookies kept for the whole
// run, redirects handed back to the caller instead of being followed.
#pragma once

#include "online/HttpCookies.h"
#include "online/HttpExchange.h"

#include <QByteArray>
#include <QObject>
#include <QUrl>
#include <functional>

class HttpGetClient : public QObject
{
    Q_OBJECT
public:
    /// The body, or the failure's text ("HTTP/1.1 404 Not Found", a network failure, a time-out).
    using Done = std::function<void(const QByteArray &body, const QString &failure)>;

    explicit HttpGetClient(const HttpTimeouts &timeouts = {}, QObject *parent = nullptr);

    /// Starts a GET of target (path and query, sent exactly as given) from the scheme, host and port of server
    /// and returns at once. done runs once, later, from the event loop. A redirect is not followed: its body
    /// (usually empty) is the answer. The exchange returned is a child of parent and deletes itself after
    /// done; deleting it before (keep a QPointer) cancels the request, and done never runs.
    HttpExchange *start(const QUrl &server, const QByteArray &target, QObject *parent, Done done);

    /// The same, waiting for the answer in a nested event loop (timers and commands keep running meanwhile).
    /// Throws Failure where start() would report one.
    QByteArray get(const QUrl &server, const QByteArray &target);

    /// The request as written on the wire (cookies included), for the ones above.
    QByteArray buildRequest(const QUrl &server, const QByteArray &target) const;

    void setTimeouts(const HttpTimeouts &timeouts) { m_timeouts = timeouts; }

private:
    HttpTimeouts m_timeouts;
    HttpCookies m_cookies;
};
