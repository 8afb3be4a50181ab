// The voice's HTTP client (`IdHTTP1`): GET requests with a fixed header set, cookies kept for the whole
// run, redirects handed back to the caller instead of being followed.
#pragma once

#include "online/HttpExchange.h"

#include <QByteArray>
#include <QNetworkCookieJar>
#include <QUrl>

class HttpGetClient
{
public:
    explicit HttpGetClient(const HttpTimeouts &timeouts = {});

    /// GETs target (path and query, sent exactly as given) from the scheme, host and port of server and
    /// returns the body. A redirect is not followed: its body (usually empty) is returned as it is.
    /// Throws Failure for an error status ("HTTP/1.1 404 Not Found"), a network failure or a time-out.
    /// Blocks in a nested event loop, so timers and commands keep running meanwhile.
    QByteArray get(const QUrl &server, const QByteArray &target);

    /// The request as written on the wire (cookies included), for the one above.
    QByteArray buildRequest(const QUrl &server, const QByteArray &target) const;

    void setTimeouts(const HttpTimeouts &timeouts) { m_timeouts = timeouts; }
    const QNetworkCookieJar &cookies() const { return m_cookies; }

private:
    HttpTimeouts m_timeouts;
    QNetworkCookieJar m_cookies;
};
