// One HTTP request written byte for byte on a fresh TCP connection, and its whole response, waited for in a
// nested event loop so the window keeps serving events meanwhile.
#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QUrl>

class QNetworkCookieJar;

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

class HttpExchange
{
public:
    /// Connects to host:port, writes request as given and reads the response to its end (Content-Length,
    /// chunked, or until the server closes). Every call owns its socket, buffer and event loop, so calls
    /// that nest inside each other's waits do not disturb each other.
    /// Throws Failure on a network failure, a time-out or a response line that cannot be read.
    static HttpResponse run(const QString &host, quint16 port, const QByteArray &request, const HttpTimeouts &timeouts,
                            bool bodyless = false);

    /// The address a target (path and query) on server stands for; used for cookie matching and the Host.
    static QUrl requestUrl(const QUrl &server, const QByteArray &target);
    /// Host header value: the host, and ":port" when the port is not 80.
    static QByteArray hostHeader(const QUrl &url);
    /// "a=1; b=2" for the cookies of jar that apply to url, or empty.
    static QByteArray cookieHeader(const QNetworkCookieJar &jar, const QUrl &url);
    /// Keeps the response's Set-Cookie values in jar.
    static void storeCookies(QNetworkCookieJar &jar, const HttpResponse &response, const QUrl &url);
};
